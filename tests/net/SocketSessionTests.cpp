// The socket session on its own: lookup, connect, line reading, sending and
// capturing files, accepting, and the error texts. The peer is a QTcpServer
// on the same thread: the session's waits pump the event loop it needs.
#include "net/ByteQueue.h"
#include "net/SocketErrorText.h"
#include "net/SocketSession.h"
#include "net/ThreadTimer.h"
#include "platform/PumpedWait.h"
#include "support/TestFiles.h"
#include "support/UnansweredPort.h"
#include "support/UnresolvableHost.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <cerrno>
#include <functional>
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
        Reconnect();
    }
    // A fresh connection, for each case of a table.
    void Reconnect()
    {
        if (Session.Connected()) Session.Disconnect();
        Session.ReadRest();  // what an earlier case left unread
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
    EXPECT_TRUE(WaitUntilFor(
        [&] {
            rest += Session.ReadRest();
            return rest == "rest";
        },
        5000));
}

TEST_F(SessionPair, ReadOfZeroReturnsWhatIsBufferedWithoutWaiting)
{
    EXPECT_EQ(Session.Read(0), "");
    Peer->write("abcdef");
    EXPECT_EQ(Session.Read(4), "abcd");
    EXPECT_EQ(Session.Read(0), "ef");
}

TEST_F(SessionPair, TransactionTakesTheReplyCodeOfItsLine)
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
    for (int i = 0; i < big.size(); ++i)
        big[i] = char('A' + i % 26);  // Write stops at a zero byte
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
    for (int i = 0; i < 50; ++i)
        sent += QByteArray(10000, char('a' + i % 26));
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

// Binary and text mode: bytes that arrived before the capture began put every
// later receive at an odd place in the capture block, and the rest spans
// several blocks and ends inside one.
class CaptureAcrossBlocks : public SessionPair, public ::testing::WithParamInterface<bool> {};

TEST_P(CaptureAcrossBlocks, KeepsEveryByteInOrder)
{
    const bool text = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath("capture");
    const QByteArray early = testfiles::SeededBytes(1001, 11);
    const QByteArray rest = testfiles::SeededBytes(3 * 256 * 1024 + 4097, 12);
    Peer->write(early);
    ASSERT_TRUE(WaitUntilFor([&] { return Session.ArrivedBytes() == early.size(); }, 5000));
    Peer->write(rest);
    QObject::connect(Peer.get(), &QTcpSocket::bytesWritten, [this] {
        if (Peer->bytesToWrite() == 0) Peer->disconnectFromHost();
    });
    Session.SetTextMode(text);
    Session.CaptureFile(path);
    const QByteArray wire = early + rest;
    if (text) {
        ASSERT_TRUE(wire.contains("\r\n")) << "the payload has no line end to convert";
    }
    EXPECT_EQ(testfiles::Read(path), text ? QByteArray(wire).replace("\r\n", "\n") : wire);
    EXPECT_EQ(Session.ReceivedBytes(), wire.size());
    // A download's byte count (and so its completeness check) comes from
    // here: the early bytes count once, though they are stored twice.
    EXPECT_EQ(Session.ArrivedBytes(), wire.size());
}

INSTANTIATE_TEST_SUITE_P(Modes, CaptureAcrossBlocks, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Text" : "Binary"; });

TEST_F(SessionPair, SendFileCutShortByFullSocketBuffersArrivesWhole)
{
    // The peer reads through a small socket buffer, so the session's socket
    // buffer fills up and sends are cut short: each must go on exactly where
    // it stopped.
    QTemporaryDir dir;
    const QString path = dir.filePath("upload");
    const QByteArray payload = testfiles::SeededBytes(6 * 1024 * 1024 + 12345, 21);
    ASSERT_TRUE(testfiles::Write(path, payload));
    QByteArray received;
    Peer->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 16 * 1024);
    QObject::connect(Peer.get(), &QTcpSocket::readyRead, [&] { received += Peer->readAll(); });
    Session.SendFile(path);
    EXPECT_EQ(Session.SentBytes(), payload.size());
    ASSERT_TRUE(WaitUntilFor([&] { return received.size() >= payload.size(); }, 5000));
    EXPECT_EQ(received, payload);
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

// A wait on a peer that stopped moving bytes gives up after TimeOut and
// closes the session: what the peer will do next is unknown.
struct StalledWaitCase {
    const char* name;
    std::function<void(TSocketSession&, QTcpSocket& peer, const QString& folder)> run;
    const char* message;
};

TEST_F(SessionPair, WaitsOnASilentPeerEndAfterTheTimeOutAndCloseTheSession)
{
    const StalledWaitCase cases[] = {
        {"line",
         [](TSocketSession& s, QTcpSocket& peer, const QString&) {
             peer.write("220 no line end");
             s.ReadLn();
         },
         "No reply from the server within 300 ms"},
        {"bytes", [](TSocketSession& s, QTcpSocket&, const QString&) { s.Read(4); },
         "No reply from the server within 300 ms"},
        {"send",
         [](TSocketSession& s, QTcpSocket& peer, const QString&) {
             peer.setReadBufferSize(1);  // the peer stops reading
             const QByteArray chunk(16384, 'x');
             for (int i = 0; i < 2048; ++i)
                 s.Write(chunk);  // far beyond any socket buffer
         },
         "The server stopped taking data: nothing could be sent for 300 ms"},
        {"capture",
         [](TSocketSession& s, QTcpSocket& peer, const QString& folder) {
             peer.write("partial data");
             s.CaptureFile(folder + "/capture");
         },
         "The data connection stalled: nothing moved for 300 ms"},
    };
    QTemporaryDir dir;
    for (const StalledWaitCase& c : cases) {
        SCOPED_TRACE(c.name);
        Reconnect();
        int disconnects = 0;
        Session.OnDisconnect = [&](QObject*) { ++disconnects; };
        Session.TimeOut = 300;
        try {
            c.run(Session, *Peer, dir.path());
            ADD_FAILURE() << "the wait did not end";
        } catch (const ETimeOutError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_TRUE(Session.TimedOut());
        EXPECT_FALSE(Session.Connected());
        EXPECT_EQ(disconnects, 1);
    }
    // What came before the stall stays in the file.
    QFile captured(dir.filePath("capture"));
    ASSERT_TRUE(captured.open(QIODevice::ReadOnly));
    EXPECT_EQ(captured.readAll(), "partial data");
}

TEST_F(SessionPair, ATransferThatKeepsMovingNeverTimesOut)
{
    // Eight pieces a tenth of a second apart: longer in all than the time-out,
    // but never silent for as long.
    Session.TimeOut = 500;
    QTemporaryDir dir;
    int sent = 0;
    QTimer trickle;
    QObject::connect(&trickle, &QTimer::timeout, [&] {
        if (sent == 8) {
            trickle.stop();
            Peer->disconnectFromHost();
            return;
        }
        Peer->write(QByteArray(100, char('a' + sent++)));
    });
    trickle.start(100);
    Session.CaptureFile(dir.filePath("slow"));
    EXPECT_EQ(Session.ReceivedBytes(), 800);
    EXPECT_FALSE(Session.TimedOut());
}

TEST_F(SessionPair, TimeOutZeroWaitsWithoutLimit)
{
    Session.TimeOut = 0;
    QTimer::singleShot(400, Peer.get(), [this] { Peer->write("220 late\r\n"); });
    EXPECT_EQ(Session.ReadLn(), "220 late\r\n");
}

TEST(SocketSession, DurationsInTimeOutMessages)
{
    EXPECT_EQ(TSocketSession::DurationText(30000), "30 seconds");
    EXPECT_EQ(TSocketSession::DurationText(1000), "1 second");
    EXPECT_EQ(TSocketSession::DurationText(300), "300 ms");
}

// Lines are bounded: a peer that never ends its line cannot make the session
// hold it whole.
TEST_F(SessionPair, LinesLongerThanTheBoundAreRefusedAndCloseTheSession)
{
    const struct {
        QByteArray sent;
        bool accepted;
    } cases[] = {
        {QByteArray(65535, 'a') + '\n', true},
        {QByteArray(65536, 'a') + '\n', false},
        {QByteArray(200000, 'a'), false},  // no line end at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent.size());
        Reconnect();
        Peer->write(c.sent);
        if (c.accepted) {
            EXPECT_EQ(Session.ReadLn(), c.sent);
            continue;
        }
        try {
            Session.ReadLn();
            ADD_FAILURE() << "an over-long line was accepted";
        } catch (const EProtocolError& e) {
            EXPECT_EQ(e.Message(), "The server sent a line longer than 65536 bytes");
        }
        EXPECT_FALSE(Session.Connected());
    }
}

TEST_F(SessionPair, StreamLinesAreBoundedToo)
{
    Peer->write("first\r\n" + QByteArray(TSocketSession::MaxLineLength + 10, 'b'));
    Peer->disconnectFromHost();
    QByteArray line;
    ASSERT_TRUE(Session.ReadStreamLine(line));
    EXPECT_EQ(line, "first\r\n");
    EXPECT_THROW(Session.ReadStreamLine(line), EProtocolError);
}

// Handlers may pump events (a progress display does); work that arrives
// meanwhile must go on once the handler ends.
TEST_F(SessionPair, ReadArrivingWhileAWriteHandlerRunsIsDeliveredAfterwards)
{
    Session.TimeOut = 2000;
    Session.SetReportLevel(slInternal);
    bool done = false;
    Session.OnStatus = [&](QObject*, const QString& status) {
        if (status != "WriteFromStream" || done) return;
        done = true;
        Peer->write("220 during the write\r\n");
        ASSERT_TRUE(Peer->waitForBytesWritten(2000));
        for (int pass = 0; pass < 5; ++pass)
            QCoreApplication::processEvents();
    };
    Session.Write("NOOP\r\n");
    ASSERT_TRUE(done);
    EXPECT_EQ(Session.ReadLn(), "220 during the write\r\n");
}

// Counts the session's own "write more" events.
class WriteMoreCounter : public QObject {
public:
    int Count = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == TSocketSession::MsgWriteMore) ++Count;
        return false;
    }
};

TEST_F(SessionPair, WriteContinuationWaitsForARunningHandlerInsteadOfSpinning)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("up");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(100000, 'u'));
    file.close();
    QByteArray received;
    QObject::connect(Peer.get(), &QTcpSocket::readyRead, [&] { received += Peer->readAll(); });
    WriteMoreCounter counter;
    Session.installEventFilter(&counter);
    int duringHandler = -1;
    Session.OnPacketSent = [&](QObject*) {
        if (duringHandler >= 0) return;
        const int before = counter.Count;
        for (int pass = 0; pass < 20; ++pass)
            QCoreApplication::processEvents();
        duringHandler = counter.Count - before;
    };
    Session.SendFile(path);
    EXPECT_LE(duringHandler, 1);
    ASSERT_TRUE(WaitUntilFor([&] { return received.size() == 100000; }, 5000));
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

// IPv6 literals connect as they are, with or without brackets; a machine
// without IPv6 loopback skips the case.
TEST(SocketSession, IPv6LiteralsConnectWithoutALookup)
{
    QTcpServer listener;
    if (!listener.listen(QHostAddress::LocalHostIPv6)) GTEST_SKIP() << "no IPv6 loopback";
    for (const char* host : {"::1", "[::1]", "0:0:0:0:0:0:0:1"}) {
        TSocketSession session;
        session.Host = QString::fromLatin1(host);
        session.Port = listener.serverPort();
        session.TimeOut = 5000;
        int resolved = 0;
        session.OnHostResolved = [&](QObject*) { ++resolved; };
        session.Connect();
        EXPECT_TRUE(session.Connected()) << host;
        EXPECT_EQ(resolved, 0) << host;
        EXPECT_EQ(session.RemoteAddressText(), "::1") << host;
        EXPECT_EQ(session.LocalHostAddress(), QHostAddress::LocalHostIPv6) << host;
    }
}

// A name that stands for several addresses: the first that answers wins,
// whichever its family, and one that fails does not end the attempt.
TEST(SocketSession, AddressesAreTriedInOrderUntilOneConnects)
{
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    const quint16 port = listener.serverPort();
    TSocketSession session;
    session.TimeOut = 5000;
    // Nothing listens on the other loopback addresses at this port.
    session.ConnectTo({QHostAddress("::1"), QHostAddress("127.0.0.2"), QHostAddress::LocalHost}, port);
    EXPECT_TRUE(session.Connected());
    EXPECT_EQ(session.RemoteAddressText(), "127.0.0.1");
    session.Disconnect();

    // When none answers, the attempt fails as a single address would.
    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::LocalHost));
    const quint16 unused = other.serverPort();
    other.close();
    EXPECT_THROW(session.ConnectTo({QHostAddress("::1"), QHostAddress::LocalHost}, unused), ESockError);
    EXPECT_FALSE(session.Connected());
    // And the session can go on.
    session.ConnectTo({QHostAddress::LocalHost}, port);
    EXPECT_TRUE(session.Connected());
}

// An address that swallows the attempt (a broken IPv6 route, say) must not
// use up the whole time limit: the next address gets its turn.
TEST(SocketSession, ASilentAddressLeavesTimeForTheNext)
{
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    const quint16 port = listener.serverPort();
    UnansweredPort silent(0x7f000002, port);  // 127.0.0.2, same port
    ASSERT_EQ(silent.Port(), port);
    TSocketSession session;
    session.TimeOut = 6000;
    EXPECT_NO_THROW(session.ConnectTo({QHostAddress("127.0.0.2"), QHostAddress::LocalHost}, port));
    EXPECT_TRUE(session.Connected());
    EXPECT_EQ(session.RemoteAddressText(), "127.0.0.1");
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
    } catch (const ETimeOutError& e) {
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
    QTimer::singleShot(10000, &late, [&] {  // dropped with late, should the test end first
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
    while (queue.IndexOf('\n') >= 0)
        taken += queue.Take(queue.IndexOf('\n') + 1);
    EXPECT_EQ(taken, expected);
    EXPECT_TRUE(queue.IsEmpty());
    queue.Append("tail");
    EXPECT_EQ(queue.TakeAll(), "tail");
}

TEST(ByteQueue, LineEndFollowsAppendsAndTakes)
{
    // LineEnd remembers how far it looked; taking from the front must move
    // that mark along, or a line end behind it goes unseen.
    TByteQueue queue;
    queue.Append("abcdefgh");
    EXPECT_EQ(queue.LineEnd(), -1);
    EXPECT_EQ(queue.Take(4), "abcd");
    queue.Append("\nij");
    EXPECT_EQ(queue.LineEnd(), 4);
    EXPECT_EQ(queue.Take(5), "efgh\n");
    EXPECT_EQ(queue.LineEnd(), -1);
    queue.Append("k\nl\n");
    EXPECT_EQ(queue.LineEnd(), 3);
    queue.Clear();
    queue.Append("\n");
    EXPECT_EQ(queue.LineEnd(), 0);
}

TEST(PumpedWait, EndsByItsConditionOrAtItsDeadlineWhetherTheLoopIsIdleOrBusy)
{
    for (const bool busy : {false, true}) {
        SCOPED_TRACE(busy ? "busy" : "idle");
        // A zero-interval timer keeps the event loop passing without a pause.
        QTimer spinner;
        spinner.setInterval(0);
        QObject::connect(&spinner, &QTimer::timeout, [] {});
        if (busy) spinner.start();

        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(WaitUntilFor([] { return false; }, 100));
        EXPECT_GE(clock.elapsed(), 100);

        bool flag = false;
        QTimer::singleShot(10, [&] { flag = true; });
        EXPECT_TRUE(WaitUntilFor([&] { return flag; }, 10000));
    }
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
