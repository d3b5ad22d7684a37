#pragma once
#include "net/FtpEncryption.h"

#include <QString>
#include <optional>

class TFtpClient;

// The benchmark's "--tls=explicit|implicit": its encryption, or nothing for
// any other text.
std::optional<TFtpEncryption> ParseTlsOption(const QString& option);

// Encrypts the client's sessions as asked and accepts a certificate no
// authority vouches for (the benchmark server's own), saying so on stderr:
// the benchmark measures the transfer, not a trust decision.
void UseBenchTls(TFtpClient& ftp, TFtpEncryption encryption);
