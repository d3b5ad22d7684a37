// Encrypted sessions against real servers: pyftpdlib (explicit and
// implicit TLS) and vsftpd, which insists that every data connection
// resumes the control connection's TLS session.
#include "support/EngineRecorder.h"
#include "support/PyFtpdServer.h"
#include "support/TestFiles.h"
#include "support/VsftpdServer.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using testfiles::Read;
using testfiles::SeededBytes;

enum class TServerKind { PyftpdExplicit, PyftpdImplicit, Vsftpd };

struct TServerCase {
    const char* Name;
    TServerKind Kind;
    bool Passive;
};

// One TLS server of either kind, and what a client needs to reach it.
struct TTlsServer {
    explicit TTlsServer(TServerKind kind)
    {
        if (kind == TServerKind::Vsftpd) {
            Vsftpd = std::make_unique<VsftpdServer>(TTestTls::Explicit);
            return;
        }
        PyFtpdSettings settings;
        settings.Tls = kind == TServerKind::PyftpdImplicit ? TTestTls::Implicit : TTestTls::Explicit;
        settings.TlsRequired = true;
        Pyftpd = std::make_unique<PyFtpdServer>(settings);
    }
    bool Start() { return Vsftpd ? Vsftpd->Start() : Pyftpd->Start(); }
    QString ErrorText() const { return Vsftpd ? Vsftpd->ErrorText() : Pyftpd->ErrorText(); }
    quint16 Port() const { return Vsftpd ? Vsftpd->Port() : Pyftpd->Port(); }
    QByteArray User() const { return Vsftpd ? Vsftpd->User() : Pyftpd->User(); }
    QByteArray Password() const { return Vsftpd ? Vsftpd->Password() : Pyftpd->Password(); }
    QString RootPath() const { return Vsftpd ? Vsftpd->RootPath() : Pyftpd->RootPath(); }
    QString Fingerprint() const
    {
        return (Vsftpd ? Vsftpd->Certificate() : Pyftpd->Certificate()).Fingerprint();
    }

    std::unique_ptr<PyFtpdServer> Pyftpd;
    std::unique_ptr<VsftpdServer> Vsftpd;
};

class FtpTlsEndToEnd : public ::testing::TestWithParam<TServerCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Server.Start()) << Server.ErrorText().toStdString();
        SetUpTestClient(Ftp, Server.Port(), Server.User(), Server.Password());
        Ftp.PassiveMode = GetParam().Passive;
        Ftp.TimeOut = 10000;
        Ftp.Encryption = GetParam().Kind == TServerKind::PyftpdImplicit ? TFtpEncryption::Implicit
                                                                        : TFtpEncryption::RequireExplicit;
        Ftp.OnDisconnect = [this](QObject*) { Ftp.Cancel(); };
    }
    void TearDown() override
    {
        EXPECT_FALSE(Log.WatchdogFired());
        if (Ftp.Connected()) Ftp.Disconnect();
    }
    // Trusts the certificate when it is the test server's own, as a user
    // who compared the fingerprint would.
    void TrustTheServer()
    {
        Ftp.OnUntrustedCertificate = [this](const TCertificateInfo& certificate, const QString& problem) {
            ++Questions;
            Problem = problem;
            return certificate.Fingerprint() == Server.Fingerprint();
        };
    }
    QString Local(const QString& name) const { return Dir.filePath(name); }
    QString Remote(const QString& name) const { return QDir(Server.RootPath()).filePath(name); }

    TTlsServer Server{GetParam().Kind};
    QTemporaryDir Dir;
    TFtpClient Ftp;
    EngineRecorder Log{Ftp, 60000};
    int Questions = 0;
    QString Problem;
};

INSTANTIATE_TEST_SUITE_P(
    Servers, FtpTlsEndToEnd,
    ::testing::Values(TServerCase{"PyftpdExplicitPassive", TServerKind::PyftpdExplicit, true},
                      TServerCase{"PyftpdExplicitActive", TServerKind::PyftpdExplicit, false},
                      TServerCase{"PyftpdImplicitPassive", TServerKind::PyftpdImplicit, true},
                      TServerCase{"VsftpdPassive", TServerKind::Vsftpd, true},
                      TServerCase{"VsftpdActive", TServerKind::Vsftpd, false}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_P(FtpTlsEndToEnd, ListsDownloadsAndUploadsByteExactOverTls)
{
    const QByteArray content = SeededBytes(3 * 1024 * 1024 + 17, 41);
    ASSERT_TRUE(testfiles::Write(Remote("blob.bin"), content));
    ASSERT_TRUE(testfiles::Write(Local("up.bin"), content));
    TrustTheServer();
    QStringList listed;
    Ftp.OnListItem = [&listed](const QByteArray& line) { listed << QString::fromUtf8(line); };

    Ftp.Connect();
    EXPECT_TRUE(Ftp.Encrypted());
    EXPECT_EQ(Questions, 1);
    EXPECT_EQ(Problem, QStringLiteral("self-signed certificate"));
    EXPECT_TRUE(Log.Status.join('\n').contains(QStringLiteral("The connection is encrypted (TLSv1.")));
    Ftp.SetTransferType(2);
    Ftp.ListDirectory();
    EXPECT_TRUE(listed.join('\n').contains(QStringLiteral("blob.bin"))) << listed.join('\n').toStdString();
    // More data connections than a TLS 1.3 server hands out tickets at the
    // login: each one must bring the next.
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        Ftp.RetrieveFile("blob.bin", Local("got.bin"));
        EXPECT_EQ(Read(Local("got.bin")), content);
        const QByteArray name = "up" + QByteArray::number(round) + ".bin";
        Ftp.StoreFile(Local("up.bin"), name);
        EXPECT_EQ(Read(Remote(QString::fromLatin1(name))), content);
    }
    // An empty file sends nothing, yet its connection must be encrypted
    // and ended like any other.
    ASSERT_TRUE(testfiles::Write(Local("empty.txt"), {}));
    Ftp.StoreFile(Local("empty.txt"), "empty.txt");
    EXPECT_TRUE(QFileInfo(Remote("empty.txt")).isFile());
    EXPECT_EQ(QFileInfo(Remote("empty.txt")).size(), 0);
    Ftp.RetrieveFile("blob.bin", Local("got.bin"));  // the session goes on
    EXPECT_EQ(Read(Local("got.bin")), content);
}

TEST_P(FtpTlsEndToEnd, AnUntrustedCertificateEndsTheConnection)
{
    // Nobody to ask, then a user who says no.
    for (const bool withHandler : {false, true}) {
        SCOPED_TRACE(withHandler);
        if (withHandler)
            Ftp.OnUntrustedCertificate = [this](const TCertificateInfo&, const QString&) {
                ++Questions;
                return false;
            };
        EXPECT_THROW(Ftp.Connect(), ECertificateRefused);
        EXPECT_FALSE(Ftp.Connected());
        EXPECT_FALSE(Log.Events.contains(QStringLiteral("connect")));
    }
    EXPECT_EQ(Questions, 1);
    // Trusted after all: the same client connects.
    TrustTheServer();
    Ftp.Connect();
    EXPECT_TRUE(Ftp.Encrypted());
}

// Data connections that someone between client and server tampers with:
// nothing they bring is taken, and the transfer fails.
TEST(FtpTlsDataFaults, ATamperedDataConnectionFailsTheTransfer)
{
    using TFault = PyFtpdSettings::TDataFault;
    const struct {
        const char* Why;
        TFault Fault;
    } cases[] = {
        {"another certificate", TFault::OtherCertificate},
        {"cut without close_notify", TFault::NoCloseNotify},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Why);
        PyFtpdSettings settings;
        settings.Tls = TTestTls::Explicit;
        settings.DataFault = c.Fault;
        PyFtpdServer server(settings);
        ASSERT_TRUE(server.Start()) << server.ErrorText().toStdString();
        const QByteArray content = SeededBytes(200 * 1024, 7);
        ASSERT_TRUE(testfiles::Write(QDir(server.RootPath()).filePath("blob.bin"), content));
        QTemporaryDir dir;
        const QString mine = dir.filePath("blob.bin");
        ASSERT_TRUE(testfiles::Write(mine, "the user's own file"));
        TFtpClient ftp;
        SetUpTestClient(ftp, server.Port(), server.User(), server.Password());
        ftp.PassiveMode = true;
        ftp.TimeOut = 10000;
        ftp.Encryption = TFtpEncryption::RequireExplicit;
        ftp.OnUntrustedCertificate = [](const TCertificateInfo&, const QString&) { return true; };
        EngineRecorder log(ftp, 60000);
        QStringList listed;
        ftp.OnListItem = [&listed](const QByteArray& line) { listed << QString::fromUtf8(line); };
        ftp.Connect();

        EXPECT_THROW(ftp.ListDirectory(), ETlsError);
        const bool other = c.Fault == TFault::OtherCertificate;
        // Lines read before a cut are as good as the server's; another
        // certificate's are nobody's.
        if (other) {
            EXPECT_TRUE(listed.isEmpty()) << listed.join('\n').toStdString();
        }
        EXPECT_THROW(ftp.RetrieveFile("blob.bin", mine, content.size()), Exception);
        EXPECT_EQ(Read(mine), "the user's own file");
        if (other) {
            ASSERT_TRUE(testfiles::Write(dir.filePath("up.bin"), content));
            EXPECT_THROW(ftp.StoreFile(dir.filePath("up.bin"), "up.bin"), ETlsError);
            EXPECT_NE(Read(QDir(server.RootPath()).filePath("up.bin")), content);
        }
        EXPECT_FALSE(log.WatchdogFired());
    }
}

// A server that encrypts the login but refuses to encrypt data
// connections: only a site that takes encryption where available goes on.
TEST(FtpTlsDataFaults, RefusedDataEncryptionEndsARequiringSession)
{
    for (const TFtpEncryption encryption :
         {TFtpEncryption::ExplicitIfAvailable, TFtpEncryption::RequireExplicit}) {
        const bool required = encryption == TFtpEncryption::RequireExplicit;
        SCOPED_TRACE(required);
        PyFtpdSettings settings;
        settings.Tls = TTestTls::Explicit;
        settings.RefuseProt = true;
        PyFtpdServer server(settings);
        ASSERT_TRUE(server.Start()) << server.ErrorText().toStdString();
        TFtpClient ftp;
        SetUpTestClient(ftp, server.Port(), server.User(), server.Password());
        ftp.PassiveMode = true;
        ftp.Encryption = encryption;
        ftp.OnUntrustedCertificate = [](const TCertificateInfo&, const QString&) { return true; };
        EngineRecorder log(ftp, 30000);
        if (required) {
            EXPECT_THROW(ftp.Connect(), ETlsError);
            EXPECT_FALSE(ftp.Connected());
            continue;
        }
        ftp.Connect();
        EXPECT_TRUE(log.Status.join('\n').contains(QStringLiteral("listings and files travel unencrypted")));
        QStringList listed;
        ftp.OnListItem = [&listed](const QByteArray& line) { listed << QString::fromUtf8(line); };
        ASSERT_TRUE(testfiles::Write(QDir(server.RootPath()).filePath("a.txt"), "a"));
        ftp.ListDirectory();
        EXPECT_TRUE(listed.join('\n').contains(QStringLiteral("a.txt")));
        EXPECT_FALSE(log.WatchdogFired());
    }
}

}  // namespace
