// The client's TLS channel against an in-memory server: the handshake, data
// both ways, what it tells about a certificate it cannot verify, resuming a
// session, and a hostile peer.
#include "net/TlsChannel.h"
#include "support/TestCertificate.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QSslCertificate>
#include <gtest/gtest.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>

namespace {

// A TLS server on memory BIOs with a certificate made for the test.
class TMemoryServer {
public:
    explicit TMemoryServer(SSL_CTX* context) : Ssl(SSL_new(context))
    {
        SSL_set_bio(Ssl, In, Out);
        BIO_set_mem_eof_return(In, -1);
        SSL_set_accept_state(Ssl);
    }
    ~TMemoryServer() { SSL_free(Ssl); }

    void Feed(const QByteArray& bytes) { BIO_write(In, bytes.constData(), int(bytes.size())); }
    QByteArray Take()
    {
        QByteArray bytes(qsizetype(BIO_ctrl_pending(Out)), Qt::Uninitialized);
        if (!bytes.isEmpty()) BIO_read(Out, bytes.data(), int(bytes.size()));
        return bytes;
    }
    // Runs the handshake and reads what arrived.
    void Step()
    {
        char buffer[16384];
        size_t read = 0;
        while (SSL_read_ex(Ssl, buffer, sizeof buffer, &read) == 1)
            Received.append(buffer, qsizetype(read));
    }
    void Send(const QByteArray& plain)
    {
        size_t written = 0;
        SSL_write_ex(Ssl, plain.constData(), size_t(plain.size()), &written);
    }

    SSL* Ssl;
    BIO* In = BIO_new(BIO_s_mem());
    BIO* Out = BIO_new(BIO_s_mem());
    QByteArray Received;
};

SSL_CTX* ServerContext(const TTestCertificate& certificate)
{
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    BIO* pem =
        BIO_new_mem_buf(certificate.CertificatePem.constData(), int(certificate.CertificatePem.size()));
    X509* x509 = PEM_read_bio_X509(pem, nullptr, nullptr, nullptr);
    BIO_free(pem);
    pem = BIO_new_mem_buf(certificate.KeyPem.constData(), int(certificate.KeyPem.size()));
    EVP_PKEY* key = PEM_read_bio_PrivateKey(pem, nullptr, nullptr, nullptr);
    BIO_free(pem);
    SSL_CTX_use_certificate(context, x509);
    SSL_CTX_use_PrivateKey(context, key);
    X509_free(x509);
    EVP_PKEY_free(key);
    SSL_CTX_set_session_id_context(context, reinterpret_cast<const unsigned char*>("qftp"), 4);
    return context;
}

class TlsChannelTest : public testing::Test {
protected:
    ~TlsChannelTest() override { SSL_CTX_free(Context); }

    // Carries bytes both ways until neither side has more to say.
    void Pump(TTlsChannel& client, TMemoryServer& server)
    {
        for (int round = 0; round < 1000; ++round) {
            const QByteArray up = client.TakeCipher();
            server.Feed(up);
            server.Step();
            const QByteArray down = server.Take();
            client.FeedCipher(down);
            if (up.isEmpty() && down.isEmpty()) return;
        }
        ADD_FAILURE() << "the two sides never fell quiet";
    }

    TTestCertificate Certificate = TTestCertificate::Make(QStringLiteral("QuilloFTP test server"));
    SSL_CTX* Context = ServerContext(Certificate);
};

TEST_F(TlsChannelTest, CarriesBytesBothWaysAndDescribesAnUntrustedCertificate)
{
    TTlsChannel client(QStringLiteral("localhost"));
    TMemoryServer server(Context);
    // Nothing goes out before the caller could look at the certificate.
    EXPECT_FALSE(client.Write("USER ann\r\n"));
    Pump(client, server);
    ASSERT_EQ(client.State(), TTlsChannel::TState::Open) << client.ErrorText().toStdString();
    EXPECT_TRUE(server.Received.isEmpty());
    EXPECT_TRUE(client.Write("USER ann\r\n"));
    Pump(client, server);
    EXPECT_EQ(server.Received, "USER ann\r\n");

    QByteArray big(3 * 1024 * 1024 + 5, Qt::Uninitialized);
    for (char& byte : big)
        byte = char(QRandomGenerator::global()->bounded(256));
    server.Send(big);
    Pump(client, server);
    EXPECT_TRUE(client.TakePlain() == big);

    // Made for the test, so signed by nobody the system trusts.
    EXPECT_FALSE(client.Verified());
    EXPECT_EQ(client.VerifyErrorText(), QStringLiteral("self-signed certificate"));
    const TCertificateInfo info = client.PeerCertificate();
    EXPECT_EQ(info.Subject, QStringLiteral("CN=QuilloFTP test server"));
    EXPECT_EQ(info.Issuer, info.Subject);
    EXPECT_LT(info.ValidFrom, QDateTime::currentDateTimeUtc());
    EXPECT_GT(info.ValidTo, QDateTime::currentDateTimeUtc());
    const QByteArray der = QSslCertificate(Certificate.CertificatePem).toDer();
    EXPECT_EQ(info.Sha256, QCryptographicHash::hash(der, QCryptographicHash::Sha256));
    EXPECT_TRUE(client.ProtocolName().startsWith(QStringLiteral("TLSv1.")));
    EXPECT_FALSE(client.CipherName().isEmpty());

    server.Send("221 Goodbye.\r\n");
    SSL_shutdown(server.Ssl);
    Pump(client, server);
    EXPECT_EQ(client.TakePlain(), "221 Goodbye.\r\n");
    EXPECT_EQ(client.State(), TTlsChannel::TState::Closed);
}

TEST_F(TlsChannelTest, LaterChannelsResumeTheSessionsTheServerHandsOut)
{
    // A server hands out two TLS 1.3 tickets after the login's handshake;
    // each data connection takes the newest not yet taken (some servers
    // accept a ticket only once).
    const auto pool = std::make_shared<TTlsSessionPool>();
    TTlsChannel control(QStringLiteral("127.0.0.1"), {}, pool);
    TMemoryServer controlServer(Context);
    Pump(control, controlServer);
    ASSERT_EQ(control.State(), TTlsChannel::TState::Open);
    EXPECT_FALSE(control.SessionReused());
    control.TakePlain();  // tickets come after the handshake, with the data
    // Sessions of a peer nobody has trusted yet are not for resuming:
    // resuming skips the certificate.
    EXPECT_TRUE(pool->Empty());
    control.Trust();

    for (int connection = 0; connection < 2; ++connection) {
        SCOPED_TRACE(connection);
        ASSERT_FALSE(pool->Empty());
        TTlsChannel data(QStringLiteral("127.0.0.1"), pool->Take(), pool);
        TMemoryServer dataServer(Context);
        Pump(data, dataServer);
        ASSERT_EQ(data.State(), TTlsChannel::TState::Open);
        EXPECT_TRUE(data.SessionReused());
        EXPECT_TRUE(SSL_session_reused(dataServer.Ssl));
    }
}

TEST_F(TlsChannelTest, ANameCannotDisguiseItself)
{
    const struct {
        const char* Why;
        QString CommonName;
        QString Shown;
    } cases[] = {
        // A right-to-left override would show "evil\u202Emoc.knab" as "evilbank.com".
        {"invisible characters", QStringLiteral("evil\u202Emoc.knab\u200B"),
         QStringLiteral("CN=evil\uFFFDmoc.knab\uFFFD")},
        // A common name holds at most 64 characters: enough to push text
        // onto a line of its own in the question.
        {"blanks that push text onto a line of its own",
         QStringLiteral("x") + QString(20, QLatin1Char(' ')) + QString(10, QChar(0x3000)) +
             QStringLiteral("SHA-256 fingerprint: AB"),
         QStringLiteral("CN=x SHA-256 fingerprint: AB")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Why);
        SSL_CTX* context = ServerContext(TTestCertificate::Make(c.CommonName));
        TTlsChannel client(QStringLiteral("localhost"));
        TMemoryServer server(context);
        Pump(client, server);
        ASSERT_EQ(client.State(), TTlsChannel::TState::Open);
        EXPECT_EQ(client.PeerCertificate().Subject, c.Shown);
        SSL_CTX_free(context);
    }
}

TEST_F(TlsChannelTest, AHostilePeerFailsTheChannelWithAReason)
{
    // A server that answers in clear text, as one that ignored "AUTH TLS".
    TTlsChannel plain(QStringLiteral("localhost"));
    plain.FeedCipher("220 Welcome, no TLS here\r\n");
    EXPECT_EQ(plain.State(), TTlsChannel::TState::Failed);
    EXPECT_FALSE(plain.ErrorText().isEmpty());
    plain.Write("PASS secret\r\n");  // nothing goes out once failed
    EXPECT_FALSE(plain.TakeCipher().contains("secret"));

    // A server that sends more than anyone reads.
    TTlsChannel flooded(QStringLiteral("localhost"));
    TMemoryServer server(Context);
    Pump(flooded, server);
    ASSERT_EQ(flooded.State(), TTlsChannel::TState::Open);
    server.Send(QByteArray(TTlsChannel::MaxInputBacklog + 1, 'x'));
    Pump(flooded, server);
    EXPECT_EQ(flooded.State(), TTlsChannel::TState::Failed);
}

}  // namespace
