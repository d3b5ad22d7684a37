// The socket session on its own: lookup, connect, line reading, sending and
// capturing files, accepting, and the error texts. The peer is a QTcpServer
// on the same thread: the session's waits pump the event loop it needs.
#include "net/ByteQueue.h"
#include "net/SocketErrorText.h"
#include "net/SocketSession.h"
#include "net/ThreadTimer.h"
#include "platform/PumpedWait.h"
#include "support/UnansweredPort.h"
#include "support/UnresolvableHost.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <cerrno>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A connected pair: the session under test and the peer's socket.
class SessionPair : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Listener.listen(QHostAddress::LocalHost));
        Session.Host = QStringLiteral("127.0.0.1");
        Session.Port = Listener.serverPort();
        Session.TimeOut = 5000;
        Watchdog.setSingleShot(true);
        QObject::connect(&Watchdog, &QTimer::timeout, [this] {
            Fired = true;
            Session.Cancel();
        });
        Watchdog.start(10000);
        Session.Connect();
        ASSERT_TRUE(WaitUntilFor([this] { return Listener.hasPendingConnections(); }, 5000));
        Peer.reset(Listener.nextPendingConnection());
    }
    void TearDown() override { EXPECT_FALSE(Fired) << "a wait ran into the watchdog"; }

    QTcpServer Listener;
    TSocketSession Session;
    std::unique_ptr<QTcpSocket> Peer;
    QTimer Watchdog;
    bool Fired = false;
};

TEST_F(SessionPair, ReadLnKeepsTheLineEndAndSplitsLinesOfOneChunk)
{
    Peer->write("220 first\r\n220 second\nrest");
    EXPECT_EQ(Session.ReadLn(), "220 first\r\n");
    EXPECT_EQ(Session.ReadLn(), "220 second\n");
    QByteArray rest;
    EXPECT_TRUE(WaitUntilFor([&] {
        rest += Session.ReadRest();
        return rest == "rest";
    }, 5000));
}

TEST_F(SessionPair, ReadOfZeroReturnsWhatIsBufferedWithoutWaiting)
{
    EXPECT_EQ(Session.Read(0), "");
    Peer->write("abcdef");
    EXPECT_EQ(Session.Read(4), "abcd");
    EXPECT_EQ(Session.Read(0), "ef");
}

TEST_F(SessionPair, TransactionTakesTheLeadingDigitsAsReplyCode)
{
    QObject::connect(Peer.get(), &QTcpSocket::readyRead, [this] {
        const QByteArray command = Peer->readAll();
        Peer->write(command == "A\r\n" ? "250 done\r\n" : "no digits\r\n");
    });
    EXPECT_EQ(Session.Transaction("A"), "250 done\r\n");
    EXPECT_EQ(Session.ReplyCode(), 250);
    EXPECT_EQ(Session.Transaction("B"), "no digits\r\n");
    EXPECT_EQ(Session.ReplyCode(), 0);
    EXPECT_EQ(Session.LastReply(), "no digits\r\n");
}

TEST_F(SessionPair, CancelEndsALineWaitWithAnAbort)
{
    QTimer::singleShot(50, [this] { Session.Cancel(); });
    try {
        Session.ReadLn();
        FAIL();
    } catch (const EAbortError& e) {
        EXPECT_EQ(e.Message(), "Socket readln aborted");
    }
    EXPECT_TRUE(Session.CancelRequested());  // stays set for the caller
}

TEST_F(SessionPair, LargeSendArrivesWhole)
{
    QByteArray big(200000, Qt::Uninitialized);
    for (int i = 0; i < big.size(); ++i) big[i] = char('A' + i % 26);  // Write stops at a zero byte
    QByteArray received;
    QObject::connect(Peer.get(), &QTcpSocket::readyRead, [&] { received += Peer->readAll(); });
    Session.Write(big.left(16384));
    Session.SendBuffer(big.constData(), 40000);
    ASSERT_TRUE(WaitUntilFor([&] { return received.size() == 56384; }, 5000));
    EXPECT_EQ(received, big.left(16384) + big.left(40000));
}

TEST_F(SessionPair, CaptureTakesEverythingUntilThePeerCloses)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("capture");
    QByteArray sent;
    for (int i = 0; i < 50; ++i) sent += QByteArray(10000, char('a' + i % 26));
    Peer->write(sent);
    QObject::connect(Peer.get(), &QTcpSocket::bytesWritten, [this] {
        if (Peer->bytesToWrite() == 0) Peer->disconnectFromHost();
    });
    Session.CaptureFile(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), sent);
    EXPECT_EQ(Session.ReceivedBytes(), sent.size());
    EXPECT_FALSE(Session.Connected());
}

TEST_F(SessionPair, SendFileOfAnEmptyFileReturnsAtOnce)
{
    QTemporaryDir dir;
    QFile empty(dir.filePath("empty"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    Session.SendFile(empty.fileName());
    EXPECT_EQ(Session.TotalBytes(), 0);
    EXPECT_EQ(Session.SentBytes(), 0);
}

TEST_F(SessionPair, PeerCloseIsNoticedAndTheSessionCanConnectAgain)
{
    bool disconnected = false;
    Session.OnDisconnect = [&](QObject*) { disconnected = true; };
    Peer->disconnectFromHost();
    ASSERT_TRUE(WaitUntilFor([&] { return disconnected; }, 5000));
    EXPECT_FALSE(Session.Connected());
    Session.Connect();
    EXPECT_TRUE(Session.Connected());
}

TEST_F(SessionPair, ConnectingTwiceIsRefused)
{
    try {
        Session.Connect();
        FAIL();
    } catch (const ESockError& e) {
        EXPECT_EQ(e.Message(), "Already connected");
    }
}

TEST(SocketSession, DottedAddressNeedsNoLookupButANameDoes)
{
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    for (const char* host : {"127.0.0.1", "localhost"}) {
        TSocketSession session;
        session.Host = QString::fromLatin1(host);
        session.Port = listener.serverPort();
        session.TimeOut = 5000;
        int resolved = 0;
        session.OnHostResolved = [&](QObject*) { ++resolved; };
        session.Connect();
        EXPECT_TRUE(session.Connected()) << host;
        EXPECT_EQ(resolved, QByteArray(host) == "localhost" ? 1 : 0) << host;
        EXPECT_EQ(session.RemoteAddressText(), "127.0.0.1");
    }
}

TEST(SocketSession, UnresolvableHostGetsExactlyOneRetryFromTheHandler)
{
    TSocketSession session;
    session.SetReportLevel(8);
    session.Host = UnresolvableHostName();
    session.Port = 21;
    session.TimeOut = 10000;
    QStringList status;
    session.OnStatus = [&](QObject*, const QString& s) { status << s; };
    int asked = 0;
    session.OnInvalidHost = [&](bool& handled) {
        ++asked;
        handled = true;
    };
    try {
        session.Connect();
        FAIL();
    } catch (const ESockError& e) {
        EXPECT_EQ(e.Message(), "Null Remote Address");
    }
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(status.count("Resolve Host"), 2);

    // The handler may mend the host name.
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    session.Port = listener.serverPort();
    session.OnInvalidHost = [&](bool& handled) {
        session.Host = QStringLiteral("127.0.0.1");
        handled = true;
    };
    session.Connect();
    EXPECT_TRUE(session.Connected());
}

TEST(SocketSession, VeryLongHostNamesAreLookedUpWhole)
{
    TSocketSession session;
    // Longer than any fixed name buffer; not resolvable, but it must get as
    // far as the lookup and fail there, not be cut to something else.
    session.Host = QString(200, QLatin1Char('a')) + QStringLiteral(".invalid");
    session.TimeOut = 10000;
    EXPECT_THROW(session.Connect(), ESockError);
    EXPECT_EQ(session.LastError(), 11001);
}

TEST(SocketSession, CancelDuringTheLookupEndsIt)
{
    TSocketSession session;
    session.Host = UnresolvableHostName();
    session.TimeOut = 10000;
    bool failed = false;
    session.OnConnectionFailed = [&](QObject*) { failed = true; };
    session.Cancel();
    // A cancel before Connect is cleared by it; one during the wait is not.
    session.OnStatus = [&](QObject*, const QString& s) {
        if (s == "Resolve Host") session.Cancel();
    };
    session.SetReportLevel(8);
    try {
        session.Connect();
        FAIL();
    } catch (const ESockError& e) {
        EXPECT_EQ(e.Message(), "Host Lookup Canceled");
    }
    EXPECT_FALSE(failed);  // the lookup failed, not the connection
}

TEST(SocketSession, UnansweredConnectTimesOutOnceAndCanBeRetried)
{
    UnansweredPort silent;
    ASSERT_NE(silent.Port(), 0);
    TSocketSession session;
    session.Host = QStringLiteral("127.0.0.1");
    session.Port = silent.Port();
    session.TimeOut = 300;
    int failed = 0;
    session.OnConnectionFailed = [&](QObject*) { ++failed; };
    try {
        session.Connect();
        FAIL() << "connected to a port that never answers";
    } catch (const ESockError& e) {
        EXPECT_EQ(e.Message(), "Connection Timed out");
    }
    EXPECT_TRUE(session.TimedOut());
    EXPECT_EQ(failed, 1);

    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    session.Port = listener.serverPort();
    session.Connect();
    EXPECT_TRUE(session.Connected());
    EXPECT_FALSE(session.TimedOut());
}

TEST(SocketSession, ListenAndAcceptAnIncomingConnection)
{
    TSocketSession data;
    bool fired = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        fired = true;
        data.Cancel();
    });
    watchdog.start(10000);
    data.Listen(true);
    const quint16 port = data.LocalPort();
    ASSERT_NE(port, 0);
    EXPECT_EQ(data.PortSuffix(), QString::asprintf(",%d,%d", port / 256, port % 256));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    data.AdoptAcceptedSocket(data.Accept());
    EXPECT_TRUE(data.Connected());
    client.write("hello\n");
    EXPECT_EQ(data.ReadLn(), "hello\n");
    EXPECT_EQ(data.RemoteAddressText(), "127.0.0.1");
    EXPECT_FALSE(fired) << "a wait ran into the watchdog";
}

TEST(SocketSession, CancelWhileAcceptingRaises)
{
    TSocketSession data;
    data.Listen(true);
    QTimer::singleShot(20, [&] { data.Cancel(); });
    // Should the cancel be lost, a late connection ends the wait instead.
    bool fired = false;
    QTcpSocket late;
    QTimer::singleShot(10000, [&] {
        fired = true;
        late.connectToHost(QHostAddress::LocalHost, data.LocalPort());
    });
    try {
        data.Accept();
        FAIL() << "the cancel did not end the wait";
    } catch (const ESockError& e) {
        EXPECT_EQ(e.Message(), "Accepting Canceled");
    }
    EXPECT_FALSE(fired);
}

TEST(SocketSession, AcceptGivesUpAfterTheTimeOut)
{
    TSocketSession data;
    data.TimeOut = 200;
    data.Listen(true, 0x7F000001);  // 127.0.0.1
    EXPECT_EQ(data.LocalAddressForPort(), "127,0,0,1");
    try {
        data.Accept();
        FAIL() << "the wait did not end";
    } catch (const ETimeOutError& e) {
        EXPECT_EQ(e.Message(), "No connection came within 200 ms");
    }
}

TEST(SocketSession, WithoutConnectionRequireConnectionGivesTheHandlerOneChance)
{
    TSocketSession session;
    EXPECT_THROW(session.RequireConnection(), Exception);
    int asked = 0;
    session.OnConnectionRequired = [&](bool& handled) {
        ++asked;
        handled = true;
    };
    EXPECT_THROW(session.RequireConnection(), Exception);
    EXPECT_EQ(asked, 1);
}

TEST(SocketErrors, TextsAreKeyedByTheClassicNumbers)
{
    EXPECT_EQ(SocketErrorText(SocketErrorFromErrno(ECONNREFUSED)), "10061:Connection refused");
    EXPECT_EQ(SocketErrorText(SocketErrorFromErrno(ETIMEDOUT)), "10060:Connection timed out");
    EXPECT_EQ(SocketErrorText(SocketErrorFromErrno(ECONNRESET)), "10054:Connection reset by peer");
    EXPECT_EQ(SocketErrorText(SocketErrorFromErrno(EWOULDBLOCK)), "10035:Operation would block");
    EXPECT_EQ(SocketErrorText(11001), "11001:Host not found");
    EXPECT_EQ(SocketErrorText(10049), "10049:Can't assign requested address");
    EXPECT_EQ(SocketErrorText(12345), "Unknown Error No. 12345");
    EXPECT_EQ(SocketErrorText(0), "");
}

TEST(ByteQueue, TakingLinesFromALargeBufferKeepsTheOrder)
{
    TByteQueue queue;
    QByteArray expected;
    for (int i = 0; i < 20000; ++i) {
        const QByteArray line = "line " + QByteArray::number(i) + "\n";
        queue.Append(line);
        expected += line;
    }
    QByteArray taken;
    while (queue.IndexOf('\n') >= 0) taken += queue.Take(queue.IndexOf('\n') + 1);
    EXPECT_EQ(taken, expected);
    EXPECT_TRUE(queue.IsEmpty());
    queue.Append("tail");
    EXPECT_EQ(queue.TakeAll(), "tail");
}

TEST(ThreadTimer, RunsOnlyWhenEnabledWithIntervalAndHandler)
{
    TThreadTimer timer;
    int ticks = 0;
    timer.SetInterval(5);
    timer.SetOnTimer([&] {
        ++ticks;
        timer.SetEnabled(false);
    });
    EXPECT_TRUE(WaitUntilFor([&] { return ticks == 1; }, 5000));
    // A tick every 5 ms would show within these windows; none may come.
    EXPECT_FALSE(WaitUntilFor([&] { return ticks > 1; }, 200)) << "ticked while disabled";
    timer.SetInterval(0);
    timer.SetEnabled(true);
    EXPECT_FALSE(WaitUntilFor([&] { return ticks > 1; }, 200)) << "ticked without an interval";

    // Once all three hold, assigning the handler last starts it, and it repeats.
    int later = 0;
    timer.SetOnTimer(nullptr);
    timer.SetInterval(5);
    timer.SetOnTimer([&] { ++later; });
    EXPECT_TRUE(WaitUntilFor([&] { return later >= 2; }, 5000));
    EXPECT_EQ(ticks, 1);
}

}  // namespace
