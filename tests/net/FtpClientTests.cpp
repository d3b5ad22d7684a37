// The control connection against the scripted server: login, reply
// judgement, continuation lines and the outcome events.
#include "support/EngineRecorder.h"
#include "support/ScriptedFtpServer.h"

#include "platform/PumpedWait.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace {

// A fresh server and client for one row of a login table.
struct LoginRig {
    LoginRig() { SetUpTestClient(Ftp, Server.Port()); }
    // "connected" (then disconnected again), or the exception's kind and message.
    QString LogInAndOut()
    {
        try {
            Ftp.Connect();
            Ftp.Disconnect();
            return QStringLiteral("connected");
        } catch (const EProtocolError& e) {
            return QStringLiteral("protocol error: ") + e.Message();
        } catch (const FTPException& e) {
            return QStringLiteral("refused: ") + e.Message();
        }
    }
    // What the server received, once `count` lines arrived (or 5 s passed).
    QByteArrayList Commands(int count) const
    {
        Server.WaitForCommandCount(count, 5000);
        return Server.Commands();
    }

    ScriptedFtpServer Server;
    TFtpClient Ftp;
    EngineRecorder Log{Ftp};
};

class FtpClientTest : public ::testing::Test {
protected:
    FtpClientTest()
    {
        SetUpTestClient(Ftp, Server.Port());
        Server.SetReply("NOOP", "200 NOOP ok\r\n");
    }
    void TearDown() override { EXPECT_FALSE(Log.WatchdogFired()); }

    // Connects and forgets what the login reported.
    void LogIn()
    {
        Ftp.Connect();
        ASSERT_TRUE(Ftp.Connected());
        Log.Status.clear();
        Log.Events.clear();
    }
    // After "USER", "PASS" and "FEAT".
    QByteArrayList CommandsAfterLogin() const { return Server.Commands().mid(3); }

    // A logged-in client of its own, for tests that destroy it.
    std::unique_ptr<TFtpClient> SeparateClient()
    {
        auto ftp = std::make_unique<TFtpClient>();
        ftp->Host = QStringLiteral("127.0.0.1");
        ftp->Port = Server.Port();
        ftp->UserID = "u";
        ftp->Password = "p";
        ftp->Connect();
        return ftp;
    }
    // How long destroying the client takes. A destructor that would wait for
    // ever is cancelled after 8 s, so the test fails instead of hanging.
    static qint64 MillisecondsToDestroy(std::unique_ptr<TFtpClient> ftp)
    {
        TFtpClient* raw = ftp.get();
        QTimer rescue;
        rescue.setSingleShot(true);
        QObject::connect(&rescue, &QTimer::timeout, [raw] { raw->Cancel(); });
        rescue.start(8000);
        QElapsedTimer clock;
        clock.start();
        ftp.reset();
        return clock.elapsed();
    }

    ScriptedFtpServer Server;
    TFtpClient Ftp;
    EngineRecorder Log{Ftp};
};

TEST_F(FtpClientTest, LoginReadsTheWholeGreetingThenSendsUserAndPassword)
{
    Server.SetGreeting("220-Welcome to the\r\n220-scripted server\r\n220 Ready\r\n");
    Ftp.Connect();

    EXPECT_TRUE(Ftp.Connected());
    EXPECT_EQ(Server.Commands(), (QByteArrayList{"USER alice", "PASS s3cret", "FEAT"}));
    EXPECT_EQ(Log.Events, QStringList{"connect"});
    // Every greeting line and reply shows; the password never does.
    EXPECT_EQ(Log.Status,
              (QStringList{"220-Welcome to the", "220-scripted server", "220 Ready", "USER alice",
                           "331 Password required", "PASS ", "230 Logged in", "FEAT", "500 Unknown"}));
    EXPECT_FALSE(Log.Status.join('\n').contains("s3cret"));
}

TEST(FtpLogin, EveryGreetingLineIsReadBeforeUserIsSent)
{
    struct GreetingCase {
        const char* greeting;
        int lines;
    };
    const GreetingCase cases[] = {
        // Middle lines need no code at all, and may be blank.
        {"220-Welcome\r\nThis server has rules:\r\n\r\n  1. be nice\r\n220 Ready\r\n", 5},
        // Lines with other codes and "-", or with our code and "-", do not end it.
        {"220-Welcome\r\n230-Not the end\r\n220-Still not\r\n220\r\n", 4},
        // A "120" only announces the greeting.
        {"120 Ready in a moment\r\n220 Ready\r\n", 2},
    };
    for (const GreetingCase& c : cases) {
        LoginRig rig;
        rig.Server.SetGreeting(c.greeting);
        EXPECT_EQ(rig.LogInAndOut(), "connected") << c.greeting;
        EXPECT_EQ(rig.Commands(4), (QByteArrayList{"USER alice", "PASS s3cret", "FEAT", "QUIT"}))
            << c.greeting;
        EXPECT_EQ(rig.Log.Status.indexOf("USER alice"), c.lines) << c.greeting;
        EXPECT_EQ(rig.Log.Events, QStringList{"connect"}) << c.greeting;
        EXPECT_FALSE(rig.Log.WatchdogFired());
    }
}

TEST(FtpLogin, OnlyALoggedInReplyCompletesTheLogin)
{
    struct LoginCase {
        const char* userReply;
        const char* passReply;
        QString outcome;
        QByteArrayList commands;
    };
    const QString account =
        "refused: The server requires an account for this login, which is not supported: ";
    const LoginCase cases[] = {
        {"230 Welcome\r\n", nullptr, "connected", {"USER alice", "FEAT", "QUIT"}},
        {"202 Already in\r\n", nullptr, "connected", {"USER alice", "FEAT", "QUIT"}},
        {"331 Password\r\n",
         "202 Superfluous\r\n",
         "connected",
         {"USER alice", "PASS s3cret", "FEAT", "QUIT"}},
        {"400 Odd\r\n", nullptr, "refused: 400 Odd", {"USER alice", "QUIT"}},
        {"200 Odd\r\n", nullptr, "refused: 200 Odd", {"USER alice", "QUIT"}},
        {"332 Need account\r\n", nullptr, account + "332 Need account", {"USER alice", "QUIT"}},
        {"331 Password\r\n",
         "332 Need account\r\n",
         account + "332 Need account",
         {"USER alice", "PASS s3cret", "QUIT"}},
        {"331 Password\r\n", "331 Again\r\n", "refused: 331 Again", {"USER alice", "PASS s3cret", "QUIT"}},
    };
    for (const LoginCase& c : cases) {
        LoginRig rig;
        rig.Server.SetReply("USER", c.userReply);
        if (c.passReply) rig.Server.SetReply("PASS", c.passReply);
        EXPECT_EQ(rig.LogInAndOut(), c.outcome) << c.userReply;
        EXPECT_FALSE(rig.Ftp.Connected());
        EXPECT_EQ(rig.Commands(c.commands.size()), c.commands) << c.userReply;
        const QString event = c.outcome == "connected" ? "connect" : "connection failed";
        EXPECT_EQ(rig.Log.Events, QStringList{event}) << c.userReply;
        EXPECT_FALSE(rig.Log.WatchdogFired());
    }
}

TEST(FtpLogin, UserAnsweredWithoutAValidCodeIsAProtocolErrorThatEndsTheSession)
{
    for (const char* reply : {"99x Hello", "2", "70000 Welcome", "abc", "600 Beyond", "2300 Logged in"}) {
        LoginRig rig;
        rig.Server.SetReply("USER", QByteArray(reply) + "\r\n");
        EXPECT_EQ(rig.LogInAndOut(),
                  QStringLiteral("protocol error: The server sent an invalid reply: \"%1\"").arg(reply));
        EXPECT_FALSE(rig.Ftp.Connected());
        EXPECT_EQ(rig.Commands(2), (QByteArrayList{"USER alice", "QUIT"})) << reply;
        EXPECT_TRUE(rig.Log.Events.isEmpty()) << reply;
        EXPECT_FALSE(rig.Log.WatchdogFired());
    }
}

TEST_F(FtpClientTest, AReplyThatNeverEndsIsCutAtItsBound)
{
    QByteArray flood = "220-Welcome\r\n";
    while (flood.size() <= (1 << 20))
        flood += "220-" + QByteArray(1000, 'x') + "\r\n";
    Server.SetGreeting(flood);  // and never the last line
    try {
        Ftp.Connect();
        FAIL() << "an endless greeting was accepted";
    } catch (const EProtocolError& e) {
        EXPECT_EQ(e.Message(), "The server sent a reply longer than 1048576 bytes");
    }
    EXPECT_FALSE(Ftp.Connected());
}

TEST_F(FtpClientTest, RefusedPasswordQuitsAndRaisesTheServersLine)
{
    Server.SetReply("PASS", "530 Login incorrect.\r\n");
    try {
        Ftp.Connect();
        FAIL() << "login was accepted";
    } catch (const FTPException& e) {
        EXPECT_EQ(e.ReplyLine(), "530 Login incorrect.\r\n");
        EXPECT_EQ(e.Message(), "530 Login incorrect.");
    }
    EXPECT_FALSE(Ftp.Connected());
    EXPECT_EQ(Server.Commands(), (QByteArrayList{"USER alice", "PASS s3cret", "QUIT"}));
    EXPECT_EQ(Log.Events, QStringList{"connection failed"});
    EXPECT_EQ(Log.Status.last(), "Disconnected");
}

TEST_F(FtpClientTest, CancelWhileWaitingForTheGreetingQuitsWithoutWaitingAgain)
{
    Server.SetGreeting("");  // accepts, never greets
    // Cancel once the connection stands, so the cancel lands in the greeting
    // wait however slow the connect is.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [this, &poll] {
        if (!Ftp.Connected()) return;
        poll.stop();
        Ftp.Cancel();
    });
    poll.start(5);
    EXPECT_THROW(Ftp.Connect(), EAbortError);
    EXPECT_FALSE(Ftp.Connected());
    EXPECT_FALSE(Ftp.CancelRequested());
    ASSERT_TRUE(Server.WaitForCommandCount(1, 5000));
    EXPECT_EQ(Server.Commands(), QByteArrayList{"QUIT"});
    EXPECT_EQ(Log.Status.last(), "Disconnected");
}

TEST_F(FtpClientTest, ProxyLoginNamesTheTargetHostButTheLogShowsOnlyTheUser)
{
    Ftp.Host = QStringLiteral("ftp.example.org");
    Ftp.Proxy = QStringLiteral("127.0.0.1");
    Ftp.ProxyPort = Server.Port();
    Ftp.Port = 1;  // would fail if used
    Ftp.Connect();
    EXPECT_EQ(Server.Commands().first(), "USER alice@ftp.example.org");
    EXPECT_TRUE(Log.Status.contains("USER alice"));
}

TEST_F(FtpClientTest, AuthenticationHandlerMayFillMissingCredentials)
{
    Ftp.Password.clear();
    Ftp.OnAuthenticationNeeded = [this](bool&) { Ftp.Password = "given"; };
    Ftp.Connect();
    EXPECT_EQ(Server.Commands(), (QByteArrayList{"USER alice", "PASS given", "FEAT"}));
}

TEST_F(FtpClientTest, RefusedConnectionReportsTheSocketErrorText)
{
    quint16 closedPort = 0;
    {
        QTcpServer probe;  // a port that nobody listens on once probe is gone
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        closedPort = probe.serverPort();
    }
    TFtpClient ftp;
    ftp.Host = QStringLiteral("127.0.0.1");
    ftp.Port = closedPort;
    EngineRecorder log(ftp);
    try {
        ftp.Connect();
        FAIL() << "connected to a closed port";
    } catch (const ESockError& e) {
        EXPECT_EQ(e.Message(), "Connection Failed");
    }
    EXPECT_EQ(log.Events, QStringList{"connection failed"});
    EXPECT_EQ(ftp.LastError(), 10061);
    EXPECT_EQ(ftp.ErrorText(ftp.LastError()), "10061:Connection refused");
    EXPECT_FALSE(ftp.Connected());
    // The session can try again once something listens.
    ftp.Port = Server.Port();
    ftp.UserID = "u";
    ftp.Password = "p";
    ftp.Connect();
    EXPECT_TRUE(ftp.Connected());
    EXPECT_FALSE(log.WatchdogFired());
}

struct ReplyCase {
    const char* command;
    const char* reply;
    QStringList events;
    bool raises;
};

TEST_F(FtpClientTest, SendCommandJudgesRepliesByCodeAndNamesTheCommandType)
{
    const ReplyCase cases[] = {
        {"CWD /pub", "250 OK\r\n", {"success 0"}, false},
        {"CWD /nope", "550 No such directory\r\n", {"failure 0"}, true},
        {"cwd /pub", "550 Lower case\r\n", {"failure 14"}, true},
        {"MKD new", "502 Not implemented\r\n", {"unsupported 1", "failure 1"}, true},
        {"DELE f", "450 Busy\r\n", {"failure 2"}, true},
        {"RMD d", "399 Odd\r\n", {"success 3"}, false},
        {"PWD", "257 \"/home\"\r\n", {"success 15"}, false},
        {"SITE chmod 644 f", "500 Unknown\r\n", {"unsupported 14", "failure 14"}, true},
    };
    LogIn();
    for (const ReplyCase& c : cases) {
        const QByteArray verb = QByteArray(c.command).split(' ').first().toUpper();
        Server.QueueReply(verb, c.reply);
        Log.Events.clear();
        bool raised = false;
        try {
            Ftp.SendCommand(c.command);
        } catch (const FTPException& e) {
            raised = true;
            EXPECT_EQ(e.ReplyLine(), c.reply);
        }
        EXPECT_EQ(raised, c.raises) << c.command << " / " << c.reply;
        EXPECT_EQ(Log.Events, c.events) << c.command << " / " << c.reply;
    }
}

TEST_F(FtpClientTest, ReplyWithoutAValidCodeEndsTheSessionWithAProtocolError)
{
    for (const QByteArray reply : {"600 Beyond the range\r\n", "No code at all\r\n"}) {
        const int before = Server.Commands().size();
        LogIn();
        Server.QueueReply("NOOP", reply);
        EXPECT_THROW(Ftp.SendCommand("NOOP"), EProtocolError) << reply.constData();
        EXPECT_FALSE(Ftp.Connected());
        EXPECT_TRUE(Log.Events.isEmpty()) << reply.constData();
        ASSERT_TRUE(Server.WaitForCommandCount(before + 5, 5000));
        EXPECT_EQ(Server.Commands().mid(before),
                  (QByteArrayList{"USER alice", "PASS s3cret", "FEAT", "NOOP", "QUIT"}));
    }
}

TEST_F(FtpClientTest, ListingAfterASystReplyWithoutACodeFailsWithTheProtocolError)
{
    LogIn();
    Ftp.ParseList = true;
    Server.QueueReply("SYST", "UNIX Type: L8\r\n");
    EXPECT_THROW(Ftp.ListDirectory(), EProtocolError);
    EXPECT_FALSE(Ftp.Connected());
    ASSERT_TRUE(Server.WaitForCommandCount(5, 5000));
    EXPECT_EQ(CommandsAfterLogin(), (QByteArrayList{"SYST", "QUIT"}));
}

TEST_F(FtpClientTest, HandledFailureRaisesNothingAndFiresNoSuccess)
{
    LogIn();
    Log.HandleFailures = true;
    Server.QueueReply("CWD", "550 No such directory\r\n");
    EXPECT_NO_THROW(Ftp.ChangeDirectory("/missing"));
    EXPECT_EQ(Log.Events, QStringList{"failure 0"});
}

TEST_F(FtpClientTest, FailureWithoutHandlerRaises)
{
    LogIn();
    Ftp.OnFailure = nullptr;
    Server.QueueReply("CWD", "550 No\r\n");
    EXPECT_THROW(Ftp.ChangeDirectory("x"), FTPException);
}

TEST_F(FtpClientTest, ContinuationLinesBelongToOneReply)
{
    LogIn();
    Server.QueueReply("SITE", "200-First\r\n and a line with a space\r\n200 Last\r\n");
    Server.QueueReply("NOOP", "200\r\n");
    Ftp.SendCommand("SITE help");
    EXPECT_EQ(Ftp.LastReply(), "200-First\r\n");
    EXPECT_EQ(Ftp.ReplyCode(), 200);
    // A line of a code and its line end only ends a reply too.
    Ftp.SendCommand("NOOP");
    Ftp.SendCommand("SYST");
    EXPECT_EQ(Ftp.LastReply(), "215 UNIX Type: L8\r\n");
    EXPECT_EQ(Log.Status.mid(1, 3), (QStringList{"200-First", " and a line with a space", "200 Last"}));
}

TEST_F(FtpClientTest, EmbeddedCodesAndBlankLinesDoNotEndAMultiLineReply)
{
    LogIn();
    Server.QueueReply("SITE", "214-Commands:\r\n200-Not the end\r\n 214 indented\r\n\r\n214 Help OK\r\n");
    Server.QueueReply("CWD", "550 No such directory\r\n");
    Ftp.SendCommand("SITE HELP");
    EXPECT_EQ(Ftp.LastReply(), "214-Commands:\r\n");
    // The next command is judged by its own reply, not by a leftover line.
    EXPECT_THROW(Ftp.ChangeDirectory("gone"), FTPException);
    EXPECT_EQ(Log.Status, (QStringList{"SITE HELP", "214-Commands:", "200-Not the end", " 214 indented", "",
                                       "214 Help OK", "CWD gone", "550 No such directory"}));
    EXPECT_EQ(Log.Events, (QStringList{"success 14", "failure 0"}));
}

TEST_F(FtpClientTest, StaleReplyLinesAreDroppedBeforeTheNextCommand)
{
    LogIn();
    Server.SendAfterReply("CWD", "226 Late line from before\r\n");
    Ftp.ChangeDirectory("a");
    ASSERT_TRUE(WaitUntilFor([this] { return Ftp.HasLine(); }, 5000));
    Server.QueueReply("MKD", "550 judged\r\n");
    Log.HandleFailures = true;
    Ftp.MakeDirectory("b");
    EXPECT_EQ(Ftp.ReplyCode(), 550);
}

TEST_F(FtpClientTest, CurrentDirectoryIsTheTextBetweenTheFirstTwoQuotes)
{
    EXPECT_EQ(TFtpClient::QuotedPath("257 \"/home/a b\" is current\r\n"), "/home/a b");
    EXPECT_EQ(TFtpClient::QuotedPath("257 no quotes\r\n"), "");
    EXPECT_EQ(TFtpClient::QuotedPath("257 \"/only one\r\n"), "/only one");
    LogIn();
    Server.QueueReply("PWD", "257 \"/pub/files\" is the current directory\r\n");
    EXPECT_EQ(Ftp.CurrentDirectory(), "/pub/files");
    EXPECT_EQ(Log.Events, QStringList{"success 15"});
}

TEST_F(FtpClientTest, RenameGoesOnAfterRnfrAnswersUpTo351)
{
    LogIn();
    Server.QueueReply("RNFR", "351 Odd but fine\r\n");
    Ftp.RenameFile("old name", "new name");
    EXPECT_EQ(CommandsAfterLogin(), (QByteArrayList{"RNFR old name", "RNTO new name"}));
    EXPECT_EQ(Log.Events, QStringList{"success 5"});

    Log.Events.clear();
    Server.QueueReply("RNFR", "450 Locked\r\n");
    EXPECT_THROW(Ftp.RenameFile("a", "b"), FTPException);
    EXPECT_EQ(Log.Events, QStringList{"failure 5"});
    EXPECT_EQ(Server.Commands().last(), "RNFR a");

    Log.Events.clear();
    Server.QueueReply("RNTO", "502 No renames\r\n");
    EXPECT_THROW(Ftp.RenameFile("a", "b"), FTPException);
    EXPECT_EQ(Log.Events, (QStringList{"unsupported 5", "failure 5"}));
}

TEST_F(FtpClientTest, LineBreaksInNamesAreRefusedBeforeAnythingIsSent)
{
    LogIn();
    const int before = Server.Commands().size();
    EXPECT_THROW(Ftp.ChangeDirectory("x\r\nDELE important"), EInvalidCommand);
    EXPECT_THROW(Ftp.DeleteFile("x\nRMD /"), EInvalidCommand);
    EXPECT_THROW(Ftp.RenameFile("a", "b\rc"), EInvalidCommand);
    EXPECT_THROW(Ftp.RetrieveFile("f\r\nDELE g", QString()), EInvalidCommand);
    EXPECT_THROW(Ftp.SendCommand("NOOP\r\nQUIT"), EInvalidCommand);
    // A zero byte would cut the line short of its line end.
    EXPECT_THROW(Ftp.DeleteFile(QByteArray("a\0b", 3)), EInvalidCommand);
    Ftp.SendCommand("NOOP");
    ASSERT_TRUE(Server.WaitForCommandCount(before + 1, 5000));
    EXPECT_EQ(Server.Commands().mid(before), QByteArrayList{"NOOP"});
}

TEST_F(FtpClientTest, CommandLongerThanOneWriteIsRefusedBeforeAnythingIsSent)
{
    LogIn();
    const int longest = TFtpClient::MaxCommandLength;
    EXPECT_THROW(Ftp.SendCommand("SITE " + QByteArray(longest - 4, 'x')), EInvalidCommand);
    // The name fits alone, but not behind "RETR ": not even "PORT" goes out.
    EXPECT_THROW(Ftp.RetrieveFile(QByteArray(longest - 2, 'n'), QString()), EInvalidCommand);
    EXPECT_THROW(Ftp.RenameFile("a", QByteArray(longest, 'n')), EInvalidCommand);
    // The longest command that fits goes out whole, and alone.
    const QByteArray site = "SITE " + QByteArray(longest - 5, 'x');
    Ftp.SendCommand(site);
    Ftp.SendCommand("NOOP");
    EXPECT_EQ(CommandsAfterLogin(), (QByteArrayList{site, "NOOP"}));
}

TEST_F(FtpClientTest, ReplyStartingWith421CancelsTheWaitForIt)
{
    LogIn();
    Server.QueueReply("NOOP", "421 Service closing\r\n");
    EXPECT_THROW(Ftp.SendCommand("NOOP"), EAbortError);
    // The next command starts afresh.
    Ftp.SendCommand("SYST");
    EXPECT_EQ(Ftp.ReplyCode(), 215);
}

TEST_F(FtpClientTest, DisconnectSendsQuitAndResetsTheServerSystem)
{
    LogIn();
    Ftp.Vendor = vnUnix;
    bool disconnected = false;
    Ftp.OnDisconnect = [&](QObject*) { disconnected = true; };
    Ftp.Disconnect();
    EXPECT_FALSE(Ftp.Connected());
    EXPECT_TRUE(disconnected);
    EXPECT_EQ(Ftp.Vendor, vnNotDetected);
    EXPECT_EQ(Server.Commands().last(), "QUIT");
    EXPECT_EQ(Log.Status.first(), "QUIT");
}

TEST_F(FtpClientTest, ServerThatClosesOnQuitWithoutAnsweringEndsTheWaitAtOnce)
{
    LogIn();
    Server.CloseControlOn("QUIT");
    QElapsedTimer clock;
    clock.start();
    EXPECT_NO_THROW(Ftp.Disconnect());
    EXPECT_LT(clock.elapsed(), TFtpClient::QuitReplyWaitMs);
    EXPECT_FALSE(Ftp.Connected());
    EXPECT_EQ(Server.Commands().last(), "QUIT");
}

TEST_F(FtpClientTest, DestroyedClientWaitsForAnUnansweredQuitOnlyBriefly)
{
    auto ftp = SeparateClient();
    Server.IgnoreNext("QUIT");
    EXPECT_LT(MillisecondsToDestroy(std::move(ftp)), TFtpClient::QuitReplyWaitMs + 2000);
    ASSERT_TRUE(Server.WaitForCommandCount(4, 5000));
    EXPECT_EQ(Server.Commands(), (QByteArrayList{"USER u", "PASS p", "FEAT", "QUIT"}));
}

TEST_F(FtpClientTest, ClientClosedByTheServerIsDestroyedWithoutWaiting)
{
    auto ftp = SeparateClient();
    Server.QueueReply("NOOP", "421 Service closing\r\n");
    Server.CloseControlOn("NOOP", true);
    EXPECT_THROW(ftp->SendCommand("NOOP"), EAbortError);
    EXPECT_LT(MillisecondsToDestroy(std::move(ftp)), TFtpClient::QuitReplyWaitMs);
}

TEST_F(FtpClientTest, WithoutConnectionTheHandlerGetsOneChance)
{
    int asked = 0;
    Ftp.OnConnectionRequired = [&](bool& handled) {
        ++asked;
        handled = true;
        Ftp.Connect();
    };
    Ftp.SendCommand("NOOP");
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Server.Commands().last(), "NOOP");

    TFtpClient lonely;
    lonely.OnConnectionRequired = nullptr;
    EXPECT_THROW(lonely.SendCommand("NOOP"), Exception);
    lonely.OnConnectionRequired = [](bool& handled) { handled = true; };
    try {
        lonely.SendCommand("NOOP");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Not Connected");
    }
}

TEST_F(FtpClientTest, TransferTypeCommands)
{
    LogIn();
    Ftp.SetTransferType(1);
    EXPECT_TRUE(Ftp.AsciiTransfers());
    Ftp.SetTransferType(3);
    EXPECT_FALSE(Ftp.AsciiTransfers());
    Ftp.SetTransferType(1);
    Ftp.SetTransferType(2);
    Ftp.SetTransferType(4);
    EXPECT_FALSE(Ftp.AsciiTransfers());
    EXPECT_EQ(CommandsAfterLogin(), (QByteArrayList{"TYPE A", "TYPE L 8", "TYPE A", "TYPE I"}));
}

TEST(FtpClientParsing, ByteCountIsTheNumberNearestBeforeTheWordBytes)
{
    EXPECT_EQ(TFtpClient::ParseByteCount("150 Opening BINARY mode data connection for f.zip (48213 bytes)."),
              48213);
    EXPECT_EQ(TFtpClient::ParseByteCount("150 Opening data connection (5368709120 Bytes)"), 5368709120LL);
    EXPECT_EQ(TFtpClient::ParseByteCount("150 Here come the bytes"), 150);
    EXPECT_EQ(TFtpClient::ParseByteCount("150 Opening data connection"), 0);
    EXPECT_EQ(TFtpClient::ParseByteCount("bytes first"), 0);
}

TEST(FtpClientParsing, ServerSystemFromTheSystReply)
{
    EXPECT_EQ(TFtpClient::VendorFromSystemReply("215 UNIX Type: L8"), vnUnix);
    EXPECT_EQ(TFtpClient::VendorFromSystemReply("215 Windows_NT"), vnOther);
    EXPECT_EQ(TFtpClient::VendorFromSystemReply("215 NETWARE with UNIX"), vnUnix);
    EXPECT_EQ(TFtpClient::VendorFromSystemReply("215 VMS 7.3"), vnVms);
    EXPECT_EQ(TFtpClient::VendorFromSystemReply("215 VM/ESA"), vnVm);
    EXPECT_EQ(TFtpClient::VendorFromSystemReply("215 OS/400 is the remote system"), vnOs400);
    EXPECT_EQ(TFtpClient::VendorFromSystemReply("215 MACOS Peter's Server"), vnMacOs);
}

TEST(FtpClientParsing, CommandTypeComesFromTheExactFirstWord)
{
    EXPECT_EQ(TFtpClient::CommandType("CWD /a"), ctChangeDir);
    EXPECT_EQ(TFtpClient::CommandType("CWDX /a"), ctCommand);
    EXPECT_EQ(TFtpClient::CommandType("MKD a"), ctMakeDir);
    EXPECT_EQ(TFtpClient::CommandType("DELE a"), ctDeleteFile);
    EXPECT_EQ(TFtpClient::CommandType("RMD a"), ctRemoveDir);
    EXPECT_EQ(TFtpClient::CommandType("PWD"), ctCurrentDir);
    EXPECT_EQ(TFtpClient::CommandType("PWD x"), ctCommand);
    EXPECT_EQ(TFtpClient::CommandType("CDUP"), ctCommand);
}

}  // namespace
