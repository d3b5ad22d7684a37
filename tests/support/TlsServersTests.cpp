// The TLS test servers speak TLS where tests expect it (after "AUTH TLS", or
// from the first byte), show the certificate they were given, and let the
// login through inside TLS.
#include "net/TlsChannel.h"
#include "support/PyFtpdServer.h"
#include "support/VsftpdServer.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include <memory>

namespace {

// A blocking FTP control connection that can switch to TLS; every wait
// ends at the deadline, and a time-out shows up as an empty reply.
class TlsControl {
public:
    explicit TlsControl(quint16 port)
    {
        Socket.connectToHost(QHostAddress::LocalHost, port);
        Socket.waitForConnected(5000);
    }

    bool StartTls()
    {
        Tls = std::make_unique<TTlsChannel>(QStringLiteral("localhost"));
        while (Tls->State() == TTlsChannel::TState::Handshaking && Exchange()) {}
        return Tls->State() == TTlsChannel::TState::Open;
    }
    QByteArray ReadReply()
    {
        for (;;) {
            // The last line of a reply is "ddd text" (RFC 959, 4.2).
            const qsizetype end = Received.indexOf("\r\n");
            if (end >= 0) {
                const QByteArray line = Received.left(end);
                Received.remove(0, end + 2);
                if (line.size() >= 4 && line[3] == ' ') return line;
                continue;
            }
            if (!Exchange()) return {};
        }
    }
    QByteArray Command(const QByteArray& line)
    {
        if (Tls)
            Tls->Write(line + "\r\n");
        else
            Socket.write(line + "\r\n");
        return ReadReply();
    }
    QByteArray PeerSha256() const { return Tls ? Tls->PeerCertificate().Sha256 : QByteArray(); }

private:
    // Sends what is due and waits for more; false at the deadline or the end.
    bool Exchange()
    {
        if (Tls) Socket.write(Tls->TakeCipher());
        Socket.flush();
        if (!Socket.bytesAvailable() &&
            !Socket.waitForReadyRead(int(qMax<qint64>(1, Deadline.remainingTime()))))
            return false;
        if (!Tls) {
            Received += Socket.readAll();
            return true;
        }
        Tls->FeedCipher(Socket.readAll());
        Received += Tls->TakePlain();
        return Tls->State() != TTlsChannel::TState::Failed;
    }

    QTcpSocket Socket;
    std::unique_ptr<TTlsChannel> Tls;
    QByteArray Received;
    QDeadlineTimer Deadline{10000};
};

struct TServerCase {
    const char* Name;
    bool Vsftpd;
    TTestTls Tls;
};

void PrintTo(const TServerCase& c, std::ostream* out)
{
    *out << c.Name;
}

class TlsServers : public testing::TestWithParam<TServerCase> {};

TEST_P(TlsServers, SpeakTlsWhereExpectedAndLetTheLoginThrough)
{
    const TServerCase& c = GetParam();
    PyFtpdServer pyftpd(PyFtpdSettings{.Tls = c.Tls});
    VsftpdServer vsftpd(c.Tls);
    const bool started = c.Vsftpd ? vsftpd.Start() : pyftpd.Start();
    ASSERT_TRUE(started) << (c.Vsftpd ? vsftpd.ErrorText() : pyftpd.ErrorText()).toStdString();
    const quint16 port = c.Vsftpd ? vsftpd.Port() : pyftpd.Port();
    const TTestCertificate& certificate = c.Vsftpd ? vsftpd.Certificate() : pyftpd.Certificate();

    TlsControl control(port);
    if (c.Tls == TTestTls::Explicit) {
        EXPECT_TRUE(control.ReadReply().startsWith("220"));
        ASSERT_TRUE(control.Command("AUTH TLS").startsWith("234"));
        ASSERT_TRUE(control.StartTls());
    } else {
        ASSERT_TRUE(control.StartTls());
        EXPECT_TRUE(control.ReadReply().startsWith("220"));
    }
    EXPECT_EQ(control.PeerSha256(), certificate.Sha256());
    EXPECT_EQ(certificate.Sha256().size(), 32);
    QByteArray reply = control.Command("USER " + (c.Vsftpd ? vsftpd.User() : pyftpd.User()));
    // vsftpd lets anonymous in without asking for a password.
    if (reply.startsWith("331"))
        reply = control.Command("PASS " + (c.Vsftpd ? vsftpd.Password() : pyftpd.Password()));
    EXPECT_TRUE(reply.startsWith("230")) << reply.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Servers, TlsServers,
                         testing::Values(TServerCase{"PyftpdExplicit", false, TTestTls::Explicit},
                                         TServerCase{"PyftpdImplicit", false, TTestTls::Implicit},
                                         TServerCase{"VsftpdExplicit", true, TTestTls::Explicit},
                                         TServerCase{"VsftpdImplicit", true, TTestTls::Implicit}),
                         [](const testing::TestParamInfo<TServerCase>& info) { return info.param.Name; });

// vsftpd must hold tests to TLS: a plain login that got through would let a
// test of "encryption required" pass against a server that never asked.
TEST(VsftpdServer, RefusesAPlainLogin)
{
    VsftpdServer server;
    ASSERT_TRUE(server.Start()) << server.ErrorText().toStdString();
    TlsControl control(server.Port());
    EXPECT_TRUE(control.ReadReply().startsWith("220"));
    EXPECT_TRUE(control.Command("USER anonymous").startsWith("530"));
}

}  // namespace
