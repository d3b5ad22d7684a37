// ftpbench --tls against the TLS test server: the session is encrypted
// (the server refuses a plain login), the server's own certificate is
// accepted and named on stderr, and files cross byte-exact both ways.
#include "BenchRun.h"
#include "support/PyFtpdServer.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct TlsCase {
    const char* Option;
    TTestTls Tls;
    bool Passive;
};

void PrintTo(const TlsCase& c, std::ostream* out)
{
    *out << c.Option << (c.Passive ? " --passive" : " --active");
}

class FtpBenchTls : public testing::TestWithParam<TlsCase> {
protected:
    BenchRun Run(const QStringList& command)
    {
        const QString mode = GetParam().Passive ? QStringLiteral("--passive") : QStringLiteral("--active");
        const QStringList arguments{QString::fromLatin1(GetParam().Option), mode};
        return RunFtpBench(arguments + command);
    }
    QString Url(const QString& name) const
    {
        return QStringLiteral("ftp://%1:%2@127.0.0.1:%3/%4")
            .arg(QString::fromLatin1(Server.User()),
                 QString::fromLatin1(Server.Password().toPercentEncoding()))
            .arg(Server.Port())
            .arg(name);
    }

    PyFtpdServer Server{PyFtpdSettings{.Tls = GetParam().Tls, .TlsRequired = true}};
    QTemporaryDir Dir;
};

TEST_P(FtpBenchTls, EncryptsTrustsTheServersCertificateAndMovesFilesByteExact)
{
    ASSERT_TRUE(Server.Start()) << Server.ErrorText().toStdString();
    const QByteArray payload = testfiles::SeededBytes((1 << 20) + 77, 21);
    ASSERT_TRUE(testfiles::Write(QDir(Server.RootPath()).filePath("down.bin"), payload));

    const BenchRun get = Run({"get", Url("down.bin"), Dir.filePath("down.bin")});
    ASSERT_EQ(get.ExitCode, 0) << get.Err.constData();
    EXPECT_EQ(get.Out, QByteArray::number(payload.size()) + '\n');
    EXPECT_EQ(testfiles::Read(Dir.filePath("down.bin")), payload);
    EXPECT_TRUE(get.Err.contains(Server.Certificate().Fingerprint().toLatin1())) << get.Err.constData();

    const BenchRun put = Run({"put", Dir.filePath("down.bin"), Url("up.bin")});
    ASSERT_EQ(put.ExitCode, 0) << put.Err.constData();
    EXPECT_EQ(testfiles::Read(QDir(Server.RootPath()).filePath("up.bin")), payload);
}

INSTANTIATE_TEST_SUITE_P(Modes, FtpBenchTls,
                         testing::Values(TlsCase{"--tls=explicit", TTestTls::Explicit, true},
                                         TlsCase{"--tls=explicit", TTestTls::Explicit, false},
                                         TlsCase{"--tls=implicit", TTestTls::Implicit, true}));

}  // namespace
