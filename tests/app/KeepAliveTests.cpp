// The keep-alive of an idle session, and the data connection and listing
// command a session takes from its site and the settings, against the
// scripted server.
#include "SessionWatchdog.h"
#include "TestSite.h"
#include "app/AttemptFailure.h"
#include "app/StatusLog.h"
#include "app/frmMain.h"
#include "platform/PumpedWait.h"
#include "support/ScriptedFtpServer.h"
#include "support/UnansweredPort.h"
#include "support/dialogs/ScriptedDialogs.h"
#include "views/remote/FtpFileListView.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr int ShortIdleMs = 150;

class KeepAliveTest : public ::testing::Test {
protected:
    KeepAliveTest()
    {
        Main.Settings().ConnectionSettings.DefaultPort = Server.Port();
        Main.Settings().PassiveMode = false;  // the scripted server connects back only
        Main.KeepAliveIntervalMs = ShortIdleMs;
        Server.SetData("LIST", "-rw-r--r-- 1 u g 1234 Jan 12 12:30 notes.txt\r\n");
        Server.SetReply("NOOP", "200 NOOP ok\r\n");
    }

    static TSiteSettings Site(const QString& address = QStringLiteral("127.0.0.1"))
    {
        return TestSite(address);
    }
    void Connect()
    {
        Main.show();  // a hidden pane lists nothing
        ASSERT_TRUE(Main.ConnectToSite(Site(), QString())) << Log().join('\n').toStdString();
        LinesAtLogin = int(Log().size());
    }
    int Noops() const { return int(Server.Commands().count("NOOP")); }
    QStringList Log() const { return Main.Status->Lines(); }
    QStringList NewLines() const { return Log().mid(LinesAtLogin); }

    TScriptedDialogs Dialogs;
    ScriptedFtpServer Server;
    TfrmMain Main;
    TSessionWatchdog Watchdog{Main, 20000};
    int LinesAtLogin = 0;
};

TEST_F(KeepAliveTest, AnIdleSessionSendsNoopAgainAndAgainWithoutALogLine)
{
    Connect();
    ASSERT_TRUE(WaitUntilFor([this] { return Noops() >= 2; }, 5000));
    EXPECT_TRUE(Main.IsConnected());
    EXPECT_EQ(NewLines(), QStringList());
    // The session goes on as before: the next command gets its own reply.
    const int lists = int(Server.Commands().count("LIST"));
    Main.RefreshPane(true);
    EXPECT_EQ(Server.Commands().count("LIST"), lists + 1);
    EXPECT_EQ(Main.RemoteDir->ItemCount(), 1);
    EXPECT_EQ(NewLines().last(), "Directory listing retrieved successfully");
}

// The keep-alive's timer fires while the listing waits for its data; a
// "NOOP" then would take the listing's reply for its own.
TEST_F(KeepAliveTest, NoKeepAliveGoesOutWhileAListingRuns)
{
    Connect();
    Main.Ftp.TimeOut = 8 * ShortIdleMs;
    Server.StallDataAfterBytes(10);
    const qsizetype lists = Server.Commands().count("LIST");
    QElapsedTimer clock;
    clock.start();
    Main.RefreshPane(true);
    ASSERT_GT(clock.elapsed(), 2 * ShortIdleMs);  // the timer fired meanwhile
    const QByteArrayList commands = Server.Commands();
    ASSERT_EQ(commands.count("LIST"), lists + 1);
    const qsizetype list = commands.lastIndexOf("LIST");
    EXPECT_FALSE(commands.mid(list).contains("NOOP")) << commands.join(' ').toStdString();
    ASSERT_TRUE(Main.IsConnected());
    // Idle again once the listing has ended.
    ASSERT_TRUE(WaitUntilFor([&] { return Server.Commands().mid(list).contains("NOOP"); }, 5000));
}

// A data connection that is never made, either way round, ends at Stop
// rather than at the time limit.
TEST_F(KeepAliveTest, StopEndsAListingWhoseDataConnectionIsNotMade)
{
    UnansweredPort silent;
    for (const bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        Main.Settings().PassiveMode = passive;
        if (Main.IsConnected()) Dialogs.Answer(mrOk);  // "Are you sure you want to disconnect?"
        Connect();
        Main.Ftp.TimeOut = 60000;  // beyond the watchdog
        if (passive)
            Server.QueueReply("EPSV", "229 Entering Extended Passive Mode (|||" +
                                          QByteArray::number(silent.Port()) + "|)\r\n");
        else
            Server.SkipNextConnectBack();
        QTimer::singleShot(300, &Main, [this] { Main.Actions[QStringLiteral("actStop")]->trigger(); });
        Main.RefreshPane(true);
        EXPECT_TRUE(Main.IsConnected()) << Log().join('\n').toStdString();
    }
}

// The session ends like any session the server ends: one line for it.
TEST_F(KeepAliveTest, A421OrNoAnswerToTheKeepAliveEndsTheSessionWithOneLogLine)
{
    const QString closed = QStringLiteral("Connection lost: closed by the server");
    const struct {
        const char* Name;
        std::function<void(ScriptedFtpServer&)> Script;
        QString Line;
    } cases[] = {
        {"421, the server stays", [](ScriptedFtpServer& s) { s.QueueReply("NOOP", "421 Timeout.\r\n"); },
         closed},
        {"421, the server closes",
         [](ScriptedFtpServer& s) {
             s.QueueReply("NOOP", "421 Timeout.\r\n");
             s.CloseControlOn("NOOP", true);
         },
         closed},
        {"no answer", [](ScriptedFtpServer& s) { s.IgnoreNext("NOOP"); },
         LostConnectionText(TLostConnectionFacts{true, 0})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Connect();
        Main.Ftp.TimeOut = 4 * ShortIdleMs;
        c.Script(Server);
        ASSERT_TRUE(WaitUntilFor([this] { return Main.ConnectionState == csNotConnected; }, 5000));
        ASSERT_EQ(NewLines(), QStringList({c.Line}));
        EXPECT_EQ(Main.Status->LineColour(LinesAtLogin), LogErrorColour);
        EXPECT_FALSE(Main.Ftp.Connected());
        EXPECT_FALSE(Main.tmrKeepAlive.isActive());
    }
}

TEST_F(KeepAliveTest, ARefusedKeepAliveIsLoggedOnceAndNotSentAgain)
{
    Server.SetReply("NOOP", "500 Unknown command.\r\n");
    Connect();
    ASSERT_TRUE(WaitUntilFor([this] { return !NewLines().isEmpty(); }, 5000));
    EXPECT_EQ(NewLines(), QStringList({"The site refused the keep-alive command: 500 Unknown command."}));
    EXPECT_FALSE(WaitUntilFor([this] { return Noops() > 1; }, 6 * ShortIdleMs));
    EXPECT_TRUE(Main.IsConnected());
}

TEST_F(KeepAliveTest, SwitchedOffNoneIsSentAndSwitchedOnItTakesEffectInTheSession)
{
    Main.Settings().KeepAlive = false;
    Connect();
    EXPECT_FALSE(WaitUntilFor([this] { return Noops() > 0; }, 6 * ShortIdleMs));
    Main.Settings().KeepAlive = true;
    EXPECT_TRUE(WaitUntilFor([this] { return Noops() > 0; }, 5000));
    EXPECT_EQ(NewLines(), QStringList());
}

// Checked as the attempt starts: the port refuses, so no data connection of
// either kind is ever made.
TEST_F(KeepAliveTest, TheSiteChoosesItsDataConnectionAndListingCommandElseTheSettingsDo)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const QString refusing = QStringLiteral("127.0.0.1:%1").arg(probe.serverPort());
    probe.close();
    const struct {
        TDataConnection SiteMode;
        bool SettingsPassive;
        bool ForceList;
        bool Passive;
    } cases[] = {
        {dcDefault, true, false, true},
        {dcDefault, false, true, false},
        {dcPassive, false, false, true},
        {dcActive, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.SiteMode) << c.SettingsPassive);
        Main.Settings().PassiveMode = c.SettingsPassive;
        TSiteSettings site = Site(refusing);
        site.DataConnection = c.SiteMode;
        site.ForceList = c.ForceList;
        Main.Ftp.PassiveMode = !c.Passive;
        Main.Ftp.ForceList = !c.ForceList;
        EXPECT_FALSE(Main.ConnectToSite(site, QString()));
        EXPECT_EQ(Main.Ftp.PassiveMode, c.Passive);
        EXPECT_EQ(Main.Ftp.ForceList, c.ForceList);
    }
}

}  // namespace
