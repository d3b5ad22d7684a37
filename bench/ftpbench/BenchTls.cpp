#include "ftpbench/BenchTls.h"

#include "net/FtpClient.h"
#include "net/TlsChannel.h"

#include <cstdio>

std::optional<TFtpEncryption> ParseTlsOption(const QString& option)
{
    if (option == QLatin1String("--tls=explicit")) return TFtpEncryption::RequireExplicit;
    if (option == QLatin1String("--tls=implicit")) return TFtpEncryption::Implicit;
    return std::nullopt;
}

void UseBenchTls(TFtpClient& ftp, TFtpEncryption encryption)
{
    ftp.Encryption = encryption;
    ftp.OnUntrustedCertificate = [](const TCertificateInfo& certificate, const QString& problem) {
        std::fprintf(stderr, "ftpbench: --tls accepts the server's certificate anyway (%s; SHA-256 %s)\n",
                     problem.toLocal8Bit().constData(), certificate.Fingerprint().toLatin1().constData());
        return true;
    };
}
