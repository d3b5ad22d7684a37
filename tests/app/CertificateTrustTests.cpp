// The certificates the user trusts: the store that keeps them, the question
// that decides on an unverified one, and the port an encrypted site uses.
#include "TestSite.h"
#include "app/CertificateQuestion.h"
#include "app/CertificateTrust.h"
#include "app/SessionEncryption.h"
#include "app/frmMain.h"
#include "net/TlsChannel.h"
#include "support/dialogs/ScriptedDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QByteArray Sha(char fill)
{
    return QByteArray(32, fill);
}

TCertificateInfo Certificate(char fill)
{
    TCertificateInfo info;
    info.Subject = QStringLiteral("CN=files.example.com");
    info.Issuer = QStringLiteral("CN=files.example.com");
    info.ValidFrom = QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
    info.ValidTo = QDateTime(QDate(2027, 1, 1), QTime(0, 0), Qt::UTC);
    info.Sha256 = Sha(fill);
    return info;
}

class CertificateTrustTest : public ::testing::Test {
protected:
    QString StoreName() const
    {
        return QDir(Folder.path()).filePath(QStringLiteral("sub/TrustedCertificates"));
    }
    void WriteStore(const QByteArray& bytes) const
    {
        QDir().mkpath(QDir(Folder.path()).filePath(QStringLiteral("sub")));
        QFile file(StoreName());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray StoreBytes() const
    {
        QFile file(StoreName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QTemporaryDir Folder;
};

TEST_F(CertificateTrustTest, OneServerHasOneEntryHoweverItsAddressIsWritten)
{
    const struct {
        const char* Host;
        quint16 Port;
        const char* Key;
    } cases[] = {
        {"Files.Example.COM", 21, "files.example.com:21"},
        {"::1", 990, "[::1]:990"},
        {"[FE80::2]", 2121, "[fe80::2]:2121"},
        {"192.0.2.7", 990, "192.0.2.7:990"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TCertificateTrust::Key(QString::fromLatin1(c.Host), c.Port), QString::fromLatin1(c.Key))
            << c.Host;
}

TEST_F(CertificateTrustTest, LookupTellsUnknownTrustedAndChanged)
{
    TCertificateTrust trust(StoreName());
    ASSERT_TRUE(trust.Trust(QStringLiteral("files.example.com"), 990, Sha('a')));
    const struct {
        const char* Host;
        quint16 Port;
        char Fill;
        TCertificateTrustState State;
    } cases[] = {
        {"files.example.com", 990, 'a', TCertificateTrustState::Trusted},
        {"FILES.example.com", 990, 'a', TCertificateTrustState::Trusted},
        {"files.example.com", 990, 'b', TCertificateTrustState::Changed},
        // Another port is another server: its certificate proves nothing here.
        {"files.example.com", 21, 'a', TCertificateTrustState::Unknown},
        {"other.example.com", 990, 'a', TCertificateTrustState::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(trust.Lookup(QString::fromLatin1(c.Host), c.Port, Sha(c.Fill)), c.State)
            << c.Host << ":" << c.Port << " " << c.Fill;
}

TEST_F(CertificateTrustTest, ANewInstanceReadsWhatTheOldWrote)
{
    {
        TCertificateTrust trust(StoreName());
        ASSERT_TRUE(trust.Trust(QStringLiteral("files.example.com"), 990, Sha('a')));
        ASSERT_TRUE(trust.Trust(QStringLiteral("::1"), 21, Sha('c')));
        ASSERT_TRUE(trust.Trust(QStringLiteral("files.example.com"), 990, Sha('b')));  // replaces
    }
    TCertificateTrust restarted(StoreName());
    EXPECT_EQ(restarted.Lookup(QStringLiteral("files.example.com"), 990, Sha('b')),
              TCertificateTrustState::Trusted);
    EXPECT_EQ(restarted.Lookup(QStringLiteral("::1"), 21, Sha('c')), TCertificateTrustState::Trusted);
    // Only its owner reads which servers the user trusts.
    EXPECT_EQ(QFile(StoreName()).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);
}

TEST_F(CertificateTrustTest, MalformedLinesAreIgnoredAndTheRestIsRead)
{
    const QByteArray good = Sha('a').toHex().toUpper();
    WriteStore("files.example.com:990 " + good + "\r\n" +        // written elsewhere with CR LF
               "short.example.com:21 " + good.left(62) + "\n" +  // truncated
               "bad.example.com:21 " + good.left(62) + "ZZ\n" +  // not hex
               good + "\n" +                                     // no server
               "\n"
               "[::1]:21 " +
               Sha('c').toHex() + "\n");
    TCertificateTrust trust(StoreName());
    EXPECT_EQ(trust.Lookup(QStringLiteral("files.example.com"), 990, Sha('a')),
              TCertificateTrustState::Trusted);
    EXPECT_EQ(trust.Lookup(QStringLiteral("::1"), 21, Sha('c')), TCertificateTrustState::Trusted);
    EXPECT_TRUE(trust.Stored(QStringLiteral("short.example.com"), 21).isEmpty());
    EXPECT_TRUE(trust.Stored(QStringLiteral("bad.example.com"), 21).isEmpty());
}

TEST_F(CertificateTrustTest, AnOversizedFileIsNeitherReadNorWrittenOver)
{
    QByteArray big = "files.example.com:990 " + Sha('a').toHex() + "\n";
    big += QByteArray(TCertificateTrust::MaxFileSize, '#');
    WriteStore(big);
    TCertificateTrust trust(StoreName());
    EXPECT_EQ(trust.Lookup(QStringLiteral("files.example.com"), 990, Sha('a')),
              TCertificateTrustState::Unknown);
    // The entry holds for this run, but the file the user had stays as it was.
    EXPECT_FALSE(trust.Trust(QStringLiteral("new.example.com"), 21, Sha('b')));
    EXPECT_EQ(trust.Lookup(QStringLiteral("new.example.com"), 21, Sha('b')), TCertificateTrustState::Trusted);
    EXPECT_EQ(StoreBytes(), big);
}

TEST_F(CertificateTrustTest, AStoreThatIsNoFileIsNeitherReadNorWrittenOver)
{
    QDir().mkpath(QDir(Folder.path()).filePath(QStringLiteral("sub")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(StoreName()).constData(), 0600), 0);
    TCertificateTrust trust(StoreName());  // must not wait for a writer
    EXPECT_FALSE(trust.Trust(QStringLiteral("new.example.com"), 21, Sha('b')));
    EXPECT_EQ(trust.Lookup(QStringLiteral("new.example.com"), 21, Sha('b')), TCertificateTrustState::Trusted);
    EXPECT_FALSE(QFileInfo(StoreName()).isFile());
}

// --- the question --------------------------------------------------------------

enum TStored { stNone, stSame, stOther };

TEST_F(CertificateTrustTest, TheAnswersDecideAndOnlyAlwaysStores)
{
    const struct {
        const char* Name;
        TStored Stored;
        bool Unattended;
        TModalResult Answer;  // mrNone: nobody may be asked
        bool Accepted;
        char StoredAfter;  // 0: nothing stored
    } cases[] = {
        {"unknown, always trust", stNone, false, mrYes, true, 'n'},
        {"unknown, trust once", stNone, false, mrNo, true, 0},
        {"unknown, cancel", stNone, false, mrCancel, false, 0},
        {"trusted before", stSame, false, mrNone, true, 'n'},
        {"trusted before, unattended", stSame, true, mrNone, true, 'n'},
        {"changed, always trust the new one", stOther, false, mrYes, true, 'n'},
        {"changed, trust once", stOther, false, mrNo, true, 'o'},
        {"changed, cancel", stOther, false, mrCancel, false, 'o'},
        {"unknown, unattended", stNone, true, mrNone, false, 0},
        {"changed, unattended", stOther, true, mrNone, false, 'o'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        QFile::remove(StoreName());
        TCertificateTrust trust(StoreName());
        if (c.Stored != stNone)
            trust.Trust(QStringLiteral("files.example.com"), 990, Sha(c.Stored == stSame ? 'n' : 'o'));
        TScriptedDialogs dialogs;
        if (c.Answer != mrNone) dialogs.Answer(c.Answer);
        const TCertificateRequest request{QStringLiteral("files.example.com"), 990,
                                          QStringLiteral("self-signed certificate"), c.Unattended};
        const TCertificateVerdict verdict = DecideOnCertificate(trust, request, Certificate('n'));
        EXPECT_EQ(verdict.Accepted, c.Accepted);
        EXPECT_EQ(dialogs.Asked.size(), c.Answer != mrNone ? 1u : 0u);
        // What the next run finds.
        const QByteArray stored =
            TCertificateTrust(StoreName()).Stored(QStringLiteral("files.example.com"), 990);
        EXPECT_EQ(stored, c.StoredAfter ? Sha(c.StoredAfter) : QByteArray());
        EXPECT_EQ(verdict.UnattendedFailure.isEmpty(), !c.Unattended || c.Accepted);
        EXPECT_FALSE(verdict.LogLine.isEmpty());
    }
}

TEST_F(CertificateTrustTest, KeysTypedIntoTheRealQuestionNeverTrust)
{
    // The program's own box, not a scripted answer: letters typed as it
    // appears, then Escape.
    TCertificateTrust trust(StoreName());
    QStringList shown;
    QTimer::singleShot(0, [&shown] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box) return;
        for (const QAbstractButton* button : box->findChildren<QAbstractButton*>())
            shown << button->text();
        for (const Qt::Key key : {Qt::Key_A, Qt::Key_T, Qt::Key_Y, Qt::Key_Space, Qt::Key_Escape})
            if (QApplication::activeModalWidget() == box) QTest::keyClick(box, key);
    });
    const TCertificateRequest request{QStringLiteral("files.example.com"), 21,
                                      QStringLiteral("self-signed certificate")};
    const TCertificateVerdict verdict = DecideOnCertificate(trust, request, Certificate('n'));
    EXPECT_TRUE(shown.contains(QStringLiteral("Trust once"))) << shown.join('|').toStdString();
    EXPECT_FALSE(verdict.Accepted);
    EXPECT_TRUE(trust.Stored(QStringLiteral("files.example.com"), 21).isEmpty());
}

TEST_F(CertificateTrustTest, AChangedCertificateIsAWarningThatSaysSo)
{
    TCertificateTrust trust(StoreName());
    trust.Trust(QStringLiteral("files.example.com"), 990, Sha('o'));
    TScriptedDialogs dialogs;
    dialogs.Answer(mrCancel);
    DecideOnCertificate(trust,
                        {QStringLiteral("files.example.com"), 990, QStringLiteral("self-signed certificate")},
                        Certificate('n'));
    ASSERT_EQ(dialogs.Asked.size(), 1u);
    const TBoxRequest& box = dialogs.Asked.front();
    EXPECT_TRUE(box.Alert);
    EXPECT_TRUE(box.Text.contains(QStringLiteral("CHANGED")));
    // Both fingerprints, so the user can compare with what the site's owner says.
    EXPECT_TRUE(box.Text.contains(Certificate('o').Fingerprint()));
    EXPECT_TRUE(box.Text.contains(Certificate('n').Fingerprint()));
    EXPECT_EQ(box.ButtonTexts.value(0), QStringLiteral("Always trust the new certificate"));
}

TEST_F(CertificateTrustTest, TheQuestionShowsWhatTheUserNeedsToDecide)
{
    const TCertificateRequest request{QStringLiteral("::1"), 990, QStringLiteral("self-signed certificate")};
    const QString text = UnknownCertificateText(request, Certificate('n'));
    for (const QString& part :
         {QStringLiteral("[::1]:990"), QStringLiteral("(self-signed certificate)"),
          QStringLiteral("Subject: CN=files.example.com"), QStringLiteral("Issuer: CN=files.example.com"),
          QStringLiteral("Valid from: "), QStringLiteral("Valid to: "), Certificate('n').Fingerprint()})
        EXPECT_TRUE(text.contains(part)) << part.toStdString();
    EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("[^\r]\n")))) << "line breaks are CR LF";
}

// --- the window ------------------------------------------------------------------

TEST_F(CertificateTrustTest, ANewConnectionAsksAgainAfterTrustOnce)
{
    TScriptedDialogs dialogs;
    TfrmMain main;
    QFile::remove(main.TrustedCertificates().FileName());
    main.Ftp.Host = QStringLiteral("once.example.com");
    main.Ftp.Port = 990;
    dialogs.Answer(mrNo);
    EXPECT_TRUE(main.Ftp.OnUntrustedCertificate(Certificate('n'), QStringLiteral("self-signed certificate")));
    EXPECT_TRUE(main.Ftp.OnUntrustedCertificate(Certificate('n'), QStringLiteral("self-signed certificate")));
    ASSERT_EQ(dialogs.Asked.size(), 1u);

    quint16 refusing = 0;
    {
        QTcpServer probe;  // a loopback port nobody listens on any more
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        refusing = probe.serverPort();
    }
    TSiteSettings site = TestSite(QStringLiteral("127.0.0.1:%1").arg(refusing));
    main.Settings().ConnectionSettings.Retries = 0;
    EXPECT_FALSE(main.ConnectToSite(site, QString()));  // its error box needs no answer
    main.Ftp.Host = QStringLiteral("once.example.com");
    main.Ftp.Port = 990;
    dialogs.Answer(mrCancel);
    EXPECT_FALSE(
        main.Ftp.OnUntrustedCertificate(Certificate('n'), QStringLiteral("self-signed certificate")));
}

TEST(SessionEncryption, ImplicitTlsTakesItsOwnPortUnlessTheAddressNamesOne)
{
    const struct {
        int AddressPort;
        TSiteEncryption Encryption;
        bool Proxy;
        int Port;
    } cases[] = {
        {0, enImplicit, false, ImplicitTlsPort},
        {2990, enImplicit, false, 2990},
        {0, enImplicit, true, 21},  // the proxy is told the site in the login name
        {0, enExplicitIfAvailable, false, 21},
        {2121, enPlainOnly, false, 2121},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SessionPort(c.AddressPort, c.Encryption, c.Proxy, 21), c.Port)
            << c.AddressPort << " " << int(c.Encryption) << " " << c.Proxy;
}

}  // namespace
