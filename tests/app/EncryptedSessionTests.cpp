// Encrypted sessions in the window against a real TLS server with a
// certificate no authority vouches for: the question, what follows each
// answer, and the lock in the status bar.
#include "SessionWatchdog.h"
#include "app/CertificateTrust.h"
#include "app/StatusLog.h"
#include "app/frmMain.h"
#include "platform/PumpedWait.h"
#include "support/PyFtpdServer.h"
#include "support/dialogs/ScriptedDialogs.h"

#include <QFile>
#include <QLabel>
#include <gtest/gtest.h>

namespace {

class EncryptedSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Server.Start()) << Server.ErrorText().toStdString();
        QFile::remove(Main.TrustedCertificates().FileName());
    }
    TSiteSettings Site(TSiteEncryption encryption = enRequireExplicit) const
    {
        TSiteSettings site;
        site.SiteName = QStringLiteral("Secure site");
        site.Address = QStringLiteral("127.0.0.1:%1").arg(Server.Port());
        site.UserName = QString::fromLatin1(Server.User());
        site.Password = QString::fromLatin1(Server.Password());
        site.NormalLogin = true;
        site.Encryption = encryption;
        return site;
    }
    QString ServerName() const { return QStringLiteral("127.0.0.1:%1").arg(Server.Port()); }
    QStringList Log() const { return Main.Status->Lines(); }
    bool Locked() const { return !Main.lblEncrypted->isHidden(); }

    PyFtpdServer Server{PyFtpdSettings{.Tls = TTestTls::Explicit}};
    TScriptedDialogs Dialogs;
    TfrmMain Main;
    TSessionWatchdog Watchdog{Main, 20000};
};

TEST_F(EncryptedSessionTest, TrustOnceConnectsAndTheLockNamesTheCipherUntilDisconnected)
{
    Dialogs.Answer(mrNo);
    ASSERT_TRUE(Main.ConnectToSite(Site(), QString())) << Log().join('\n').toStdString();
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_TRUE(Dialogs.Asked[0].Text.contains(Server.Certificate().Fingerprint()));
    EXPECT_TRUE(Dialogs.Asked[0].Text.contains(ServerName()));
    EXPECT_TRUE(Log().contains(
        QStringLiteral("The certificate of %1 was accepted for this session").arg(ServerName())));
    EXPECT_TRUE(Locked());
    EXPECT_TRUE(Main.lblEncrypted->toolTip().startsWith(QStringLiteral("Encrypted: TLSv1.")))
        << Main.lblEncrypted->toolTip().toStdString();

    Main.DisconnectFromSite();
    ASSERT_TRUE(WaitUntilFor([this] { return Main.ConnectionState == csNotConnected; }, 10000));
    EXPECT_FALSE(Locked());
    // Not written down: the next run asks again.
    EXPECT_TRUE(TCertificateTrust(Main.TrustedCertificates().FileName())
                    .Stored(QStringLiteral("127.0.0.1"), Server.Port())
                    .isEmpty());
}

TEST_F(EncryptedSessionTest, CancelEndsTheAttemptWithoutRetryOrPlainFallback)
{
    Main.Settings().ConnectionSettings.Retries = 3;
    Main.Settings().ConnectionSettings.RetryDelay = 1;
    Dialogs.Answer(mrCancel);
    EXPECT_FALSE(Main.ConnectToSite(Site(enExplicitIfAvailable), QString()));
    EXPECT_EQ(Main.ConnectionState, csNotConnected);
    EXPECT_EQ(Dialogs.Asked.size(), 1u) << "the refusal was the user's answer; no box repeats it";
    EXPECT_TRUE(Log().contains(QStringLiteral("The certificate of %1 was refused").arg(ServerName())));
    for (const QString& line : Log()) {
        EXPECT_FALSE(line.startsWith(QStringLiteral("Trying to reconnect"))) << line.toStdString();
        EXPECT_FALSE(line.contains(QStringLiteral("PASS"))) << line.toStdString();
    }
    EXPECT_FALSE(Locked());
}

TEST_F(EncryptedSessionTest, APlainSessionShowsNoLock)
{
    ASSERT_TRUE(Main.ConnectToSite(Site(enPlainOnly), QString())) << Log().join('\n').toStdString();
    EXPECT_TRUE(Dialogs.Asked.empty());
    EXPECT_FALSE(Locked());
}

TEST_F(EncryptedSessionTest, ClearListingsAndFilesShowNoLock)
{
    // The login is encrypted, but the server refuses "PROT P".
    PyFtpdServer clearData{PyFtpdSettings{.Tls = TTestTls::Explicit, .RefuseProt = true}};
    ASSERT_TRUE(clearData.Start()) << clearData.ErrorText().toStdString();
    TSiteSettings site = Site(enExplicitIfAvailable);
    site.Address = QStringLiteral("127.0.0.1:%1").arg(clearData.Port());
    Dialogs.Answer(mrNo);
    ASSERT_TRUE(Main.ConnectToSite(site, QString())) << Log().join('\n').toStdString();
    EXPECT_TRUE(Main.Ftp.Encrypted());
    EXPECT_FALSE(Locked());
}

}  // namespace
