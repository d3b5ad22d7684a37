#pragma once
#include "net/ResumableFtp.h"

#include <QStringList>
#include <cstdio>

struct TBenchUrl;

// The commands of the benchmark driver, each one login, one transfer in
// active mode (passive with SetPassive) with "TYPE I", and "QUIT":
//   get URL DEST           prints the number of bytes received
//   put SRC URL            prints the number of bytes sent
//   list URL [--entries]   prints the entry count, or with --entries one line
//                          per parsed entry: attributes, size, date and name
//                          separated by TABs (the name as raw bytes)
// Failures raise Exception (or one of its network kinds); a wrong command
// line raises TFtpBench::EUsage.
class TFtpBench {
public:
    class EUsage : public Exception {
    public:
        using Exception::Exception;
    };

    // out receives the results; with verbose every status text goes to stderr.
    explicit TFtpBench(std::FILE* out, bool verbose = false);

    // Data connections in passive mode instead of active.
    void SetPassive(bool on) { Ftp.PassiveMode = on; }
    // FTP over TLS (explicit required, or implicit), trusting the server's
    // certificate whoever made it.
    void SetTls(TFtpEncryption encryption);
    // arguments: the command and its operands, without the program name.
    void Run(const QStringList& arguments);

    static QString UsageText();

private:
    void Get(const TBenchUrl& url, const QString& localPath);
    void Put(const QString& localPath, const TBenchUrl& url);
    void List(const TBenchUrl& url, bool entries);
    void Open(const TBenchUrl& url);
    void EnterFolder(const QByteArray& folder);
    void PrintEntries();
    void Close();

    std::FILE* Out;
    TResumableFtp Ftp;
};
