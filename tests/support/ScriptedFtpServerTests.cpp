#include "support/PlainClient.h"
#include "support/ScriptedFtpServer.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// Connects and consumes the greeting.
void Open(PlainClient& client, const ScriptedFtpServer& server)
{
    ASSERT_TRUE(client.Connect(server.Port()));
    ASSERT_FALSE(client.ReadReply().isEmpty());
}

// Runs a download-style command over a fresh data connection; answers the
// data, and the final reply in `final`.
QByteArray Fetch(PlainClient& client, const QByteArray& command, QByteArray& final)
{
    EXPECT_EQ(client.Port(), "200 PORT ok\r\n");
    EXPECT_EQ(client.Command(command), "150 Opening data connection\r\n");
    const std::unique_ptr<QTcpSocket> data = client.AcceptData();
    if (!data) return "<no data connection>";
    const QByteArray received = PlainClient::ReadToEnd(*data);
    final = client.ReadReply();
    return received;
}

}  // namespace

TEST(ScriptedFtpServer, QueuedRepliesGoFirstThenTheStandingOneThenTheDefault)
{
    ScriptedFtpServer server;
    server.SetGreeting("220-Welcome\r\n220 Second line\r\n");
    server.QueueReply("user", "530 Not yet\r\n");
    server.SetReply("SYST", "215 Custom\r\n");
    PlainClient client;
    ASSERT_TRUE(client.Connect(server.Port()));
    EXPECT_EQ(client.ReadReply(), "220-Welcome\r\n220 Second line\r\n");
    EXPECT_EQ(client.Command("USER bob"), "530 Not yet\r\n");
    EXPECT_EQ(client.Command("user bob"), "331 Password required\r\n");
    EXPECT_EQ(client.Command("PASS pa ss"), "230 Logged in\r\n");
    EXPECT_EQ(client.Command("SYST"), "215 Custom\r\n");
    EXPECT_EQ(client.Command("SYST"), "215 Custom\r\n");
    EXPECT_EQ(client.Command("MKD new dir"), "257 \"new dir\" created\r\n");
    EXPECT_EQ(client.Command("NOOP"), "500 Unknown\r\n");
    EXPECT_EQ(client.Command("PORT 1,2,3"), "501 Syntax error in PORT\r\n");
    EXPECT_EQ(client.Port(), "200 PORT ok\r\n");

    EXPECT_EQ(server.MaskedCommands(), (QByteArrayList{"USER bob", "user bob", "PASS pa ss", "SYST", "SYST",
                                                       "MKD new dir", "NOOP", "PORT *", "PORT *"}));
    EXPECT_EQ(server.LastPortAddress(), "127.0.0.1");
    EXPECT_EQ(server.LastPortPort(), client.DataPort());
}

TEST(ScriptedFtpServer, ActiveListAndRetrieveDeliverTheDataFromTheAcceptedRestart)
{
    ScriptedFtpServer server;
    const QByteArray listing = "-rw-r--r-- 1 u g 10 Jan 01 2020 a file\r\n";
    server.SetData("LIST", listing);
    server.SetData("RETR", "0123456789");
    server.SetFinalReply("RETR", "226 Done\r\n");
    PlainClient client;
    Open(client, server);
    QByteArray final;

    EXPECT_EQ(Fetch(client, "LIST", final), listing);
    EXPECT_EQ(final, "226 Transfer complete\r\n");

    EXPECT_EQ(client.Command("REST 4"), "350 Restarting\r\n");
    EXPECT_EQ(Fetch(client, "RETR f", final), "456789");
    EXPECT_EQ(final, "226 Done\r\n");
    EXPECT_EQ(server.LastRestOffset(), 4);

    // A refused REST must not move the start, and a restart is used once.
    server.QueueReply("REST", "502 No restarts\r\n");
    EXPECT_EQ(client.Command("REST 7"), "502 No restarts\r\n");
    EXPECT_EQ(Fetch(client, "RETR f", final), "0123456789");
}

TEST(ScriptedFtpServer, PassiveRepliesNameThePortTheNextTransferIsTakenOn)
{
    ScriptedFtpServer server;
    server.SetData("RETR", "passive bytes");
    PlainClient client;
    Open(client, server);
    const struct {
        const char* verb;
        const char* pattern;  // captures the port, or its high and low byte
    } cases[] = {
        {"EPSV", R"(^229 Entering Extended Passive Mode \(\|\|\|(\d+)\|\)\r\n$)"},
        {"PASV", R"(^227 Entering Passive Mode \(127,0,0,1,(\d+),(\d+)\)\r\n$)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.verb);
        const QByteArray reply = client.Command(c.verb);
        const QRegularExpressionMatch match = QRegularExpression(c.pattern).match(QString::fromLatin1(reply));
        ASSERT_TRUE(match.hasMatch()) << reply.constData();
        const int port = match.lastCapturedIndex() == 1
                             ? match.captured(1).toInt()
                             : match.captured(1).toInt() * 256 + match.captured(2).toInt();
        QTcpSocket data;
        data.connectToHost(QHostAddress::LocalHost, quint16(port));
        ASSERT_TRUE(data.waitForConnected(5000));
        EXPECT_EQ(client.Command("RETR f"), "150 Opening data connection\r\n");
        EXPECT_EQ(PlainClient::ReadToEnd(data), "passive bytes");
        EXPECT_EQ(client.ReadReply(), "226 Transfer complete\r\n");
    }
    // After "PORT" the server connects back again.
    QByteArray final;
    EXPECT_EQ(Fetch(client, "RETR f", final), "passive bytes");
    EXPECT_EQ(final, "226 Transfer complete\r\n");
}

TEST(ScriptedFtpServer, NoDataConnectionAfterARefusalOrWhenToldNotToConnect)
{
    ScriptedFtpServer server;
    server.SetData("LIST", "x\r\n");
    PlainClient client;
    Open(client, server);
    EXPECT_EQ(client.Port(), "200 PORT ok\r\n");
    server.QueueReply("RETR", "550 No such file\r\n");
    EXPECT_EQ(client.Command("RETR gone"), "550 No such file\r\n");
    server.SkipNextConnectBack();
    EXPECT_EQ(client.Command("LIST"), "150 Opening data connection\r\n");
    EXPECT_EQ(client.AcceptData(300), nullptr);

    // The fault is used up: the next listing connects again.
    QByteArray final;
    EXPECT_EQ(Fetch(client, "LIST", final), "x\r\n");
    EXPECT_EQ(final, "226 Transfer complete\r\n");
}

TEST(ScriptedFtpServer, StoreKeepsEveryUploadedByte)
{
    ScriptedFtpServer server;
    PlainClient client;
    Open(client, server);
    QByteArray payload;
    for (int i = 0; i < 70000; ++i)
        payload += char(i * 7 % 251);
    EXPECT_EQ(client.Port(), "200 PORT ok\r\n");
    EXPECT_EQ(client.Command("STOR up.bin"), "150 Opening data connection\r\n");
    const std::unique_ptr<QTcpSocket> data = client.AcceptData();
    ASSERT_NE(data, nullptr);
    data->write(payload);
    data->disconnectFromHost();
    if (data->state() != QAbstractSocket::UnconnectedState) data->waitForDisconnected(5000);
    EXPECT_EQ(client.ReadReply(), "226 Transfer complete\r\n");
    EXPECT_EQ(server.Uploaded(), payload);
}

TEST(ScriptedFtpServer, MidTransferFaultsCutTheDataWhereTold)
{
    ScriptedFtpServer server;
    server.SetData("RETR", "abcdefgh");
    PlainClient client;
    Open(client, server);
    QByteArray final;

    server.SendControlAfterBytes(3, "426 Connection closed\r\n", true);
    EXPECT_EQ(Fetch(client, "RETR f", final), "abc");
    EXPECT_EQ(final, "426 Connection closed\r\n");
    // No final reply followed the stop: the next reply answers the next command.
    EXPECT_EQ(client.Command("NOOP"), "500 Unknown\r\n");

    server.CloseDataAfterBytes(5);
    EXPECT_EQ(Fetch(client, "RETR f", final), "abcde");
    EXPECT_EQ(final, "226 Transfer complete\r\n");

    server.SendControlAfterBytes(2, "421 Going down\r\n", false);
    EXPECT_EQ(Fetch(client, "RETR f", final), "abcdefgh");
    EXPECT_EQ(final, "421 Going down\r\n");
    EXPECT_EQ(client.ReadReply(), "226 Transfer complete\r\n");
}

TEST(ScriptedFtpServer, ControlFaultsStaleLinesAndReconnection)
{
    ScriptedFtpServer server;
    server.SendAfterReply("CWD", "226 Stale\r\n");
    server.CloseControlOn("PASS");
    PlainClient first;
    Open(first, server);
    EXPECT_EQ(first.Command("CWD /a"), "250 OK\r\n");
    EXPECT_EQ(first.ReadReply(), "226 Stale\r\n");
    EXPECT_EQ(first.Command("CWD /b"), "250 OK\r\n");
    ASSERT_TRUE(server.SendRaw("421 Timeout\r\n"));
    EXPECT_EQ(first.ReadReply(), "421 Timeout\r\n");
    EXPECT_EQ(first.Command("PASS x"), "");
    EXPECT_TRUE(first.Control().state() == QAbstractSocket::UnconnectedState ||
                first.Control().waitForDisconnected(5000));

    PlainClient second;
    Open(second, server);
    EXPECT_EQ(second.Command("PASS x"), "230 Logged in\r\n");
    EXPECT_TRUE(server.WaitForCommandCount(4, 1000));
    EXPECT_FALSE(server.WaitForCommandCount(5, 50));
    EXPECT_EQ(server.Commands(), (QByteArrayList{"CWD /a", "CWD /b", "PASS x", "PASS x"}));
    EXPECT_EQ(server.ConnectionCount(), 2);
}

TEST(ScriptedFtpServer, StopsPromptlyWhileWaitingForAnUpload)
{
    auto server = std::make_unique<ScriptedFtpServer>();
    PlainClient client;
    Open(client, *server);
    EXPECT_EQ(client.Port(), "200 PORT ok\r\n");
    EXPECT_EQ(client.Command("STOR silent"), "150 Opening data connection\r\n");
    const std::unique_ptr<QTcpSocket> data = client.AcceptData();
    ASSERT_NE(data, nullptr);
    QElapsedTimer timer;
    timer.start();
    server.reset();
    // Without the wake-up the upload wait alone would last its 5 s time-out.
    EXPECT_LT(timer.elapsed(), 3000);
}
