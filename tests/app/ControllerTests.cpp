// The connection controller of the main window against the scripted server:
// connecting, the failure classes and retries, stopping, disconnecting and
// closing.
#include "SessionWatchdog.h"
#include "TestSite.h"
#include "app/StatusLog.h"
#include "app/frmMain.h"
#include "platform/PumpedWait.h"
#include "support/ScriptedFtpServer.h"
#include "support/UnansweredPort.h"
#include "support/UnresolvableHost.h"
#include "support/dialogs/ScriptedDialogs.h"
#include "views/remote/FtpFileListView.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTcpServer>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

class ControllerTest : public ::testing::Test {
protected:
    ControllerTest()
    {
        Main.Settings().ConnectionSettings.DefaultPort = Server.Port();
        Server.SetData("LIST",
                       "-rw-r--r-- 1 u g 1234 Jan 12 12:30 notes.txt\r\n"
                       "drwxr-xr-x 2 u g 4096 Mar  3  2001 pub\r\n");
    }

    static TSiteSettings Site(const QString& address = QStringLiteral("127.0.0.1"))
    {
        return TestSite(address);
    }
    // A loopback port nobody listens on any more: connecting is refused.
    static quint16 RefusingPort()
    {
        QTcpServer probe;
        EXPECT_TRUE(probe.listen(QHostAddress::LocalHost));
        return probe.serverPort();
    }
    // Triggers Stop, polling with the caller's timer, once the server has
    // received command.
    void StopOnceSent(const QByteArray& command, QTimer& poll)
    {
        QObject::connect(&poll, &QTimer::timeout, [this, command, &poll] {
            if (!Server.Commands().contains(command)) return;
            poll.stop();
            Main.Actions[QStringLiteral("actStop")]->trigger();
        });
        poll.start(5);
    }
    QStringList Log() const { return Main.Status->Lines(); }
    int LogCount(const QString& line) const { return int(Log().count(line)); }
    bool Enabled(const char* action) { return Main.Actions[QLatin1String(action)]->isEnabled(); }
    void ExpectColour(const QString& line, const QColor& colour) const
    {
        const int index = int(Log().indexOf(line));
        ASSERT_GE(index, 0) << line.toStdString() << "\n" << Log().join("\n").toStdString();
        EXPECT_EQ(Main.Status->LineColour(index), colour) << line.toStdString();
    }

    TScriptedDialogs Dialogs;
    ScriptedFtpServer Server;
    TfrmMain Main;
    TSessionWatchdog Watchdog{Main, 15000};
};

TEST_F(ControllerTest, StartsNotConnected)
{
    EXPECT_EQ(Main.windowTitle(), "Not connected - QuilloFTP");
    EXPECT_EQ(Log().first(), "QuilloFTP 1.01 - 12.5.2000");
    EXPECT_EQ(Main.StatusPanel1->text(), "Not connected");
    EXPECT_EQ(Main.ConnectionState, csNotConnected);
    EXPECT_EQ(Main.TransferMode, tmAutomatic);
    EXPECT_TRUE(Enabled("actConnectToNew"));
    EXPECT_FALSE(Enabled("actStop"));
    EXPECT_FALSE(Enabled("actDisconnect"));
    EXPECT_FALSE(Enabled("actTransferBinary"));
    // An Internet link can be entered whenever no command runs.
    EXPECT_TRUE(Enabled("actConnectToURL"));
}

TEST_F(ControllerTest, SuccessfulConnectShowsTheSiteAndLogsInColour)
{
    Main.SetTransferMode(tmBinary);
    ASSERT_TRUE(Main.ConnectToSite(Site(), QString()));

    EXPECT_EQ(Main.ConnectionState, csConnected);
    EXPECT_TRUE(Main.IsConnected());
    EXPECT_EQ(Main.windowTitle(), "Test site - QuilloFTP");
    EXPECT_EQ(Main.TransferMode, tmAutomatic);
    EXPECT_TRUE(Enabled("actDisconnect"));
    EXPECT_TRUE(Enabled("actTransferBinary"));
    EXPECT_FALSE(Enabled("actStop"));
    EXPECT_EQ(Main.RemoteDir->ItemCount(), 2);
    EXPECT_EQ(Main.RemoteDir->Directory(), "/");
    // The log was cleared for the new session.
    EXPECT_FALSE(Log().contains("QuilloFTP 1.01 - 12.5.2000"));
    ExpectColour("Connecting to \"Test site\" (127.0.0.1)...", LogInfoColour);
    ExpectColour("220 Scripted server ready", LogReplyColour);
    ExpectColour("USER alice", LogReplyColour);
    ExpectColour("PASS", LogReplyColour);  // the log trims the trailing blank
    ExpectColour("Automatic transfer mode selected", LogInfoColour);
    ExpectColour("Retrieving directory listing...", LogInfoColour);
    ExpectColour("Directory listing retrieved successfully", LogSuccessColour);
    EXPECT_FALSE(Log().join('\n').contains("secret"));
    EXPECT_EQ(Server.MaskedCommands().mid(0, 2), (QByteArrayList{"USER alice", "PASS secret"}));
    EXPECT_TRUE(Server.Commands().contains("LIST"));
}

TEST_F(ControllerTest, SessionDisplayCountsFromTheConnection)
{
    QDateTime now(QDate(2024, 5, 6), QTime(10, 0));
    Main.Now = [&] { return now; };
    ASSERT_TRUE(Main.ConnectToSite(Site(), QString()));
    now = now.addSecs(3723);
    Main.tmrSecondTimer.setInterval(5);
    ASSERT_TRUE(WaitUntilFor([this] { return Main.StatusPanel1->text() == "Session length: 1:02:03"; }, 5000))
        << Main.StatusPanel1->text().toStdString();
}

TEST_F(ControllerTest, GenericFailureIsRetriedWithACountdown)
{
    Main.Settings().ConnectionSettings.DefaultPort = RefusingPort();
    Main.Settings().ConnectionSettings.Retries = 2;
    Main.Settings().ConnectionSettings.RetryDelay = 3;
    Main.tmrSecondTimer.setInterval(5);
    QStringList countdown;
    QObject::connect(&Main.tmrSecondTimer, &QTimer::timeout, [&] {
        const QString text = Main.StatusPanel1->text();
        if (text.endsWith("left to retry") && (countdown.isEmpty() || countdown.last() != text))
            countdown << text;
    });

    EXPECT_FALSE(Main.ConnectToSite(Site(), QString()));
    EXPECT_EQ(Main.ConnectionState, csConnecting);
    EXPECT_TRUE(Dialogs.Asked.empty());  // no box while a retry follows
    ASSERT_TRUE(WaitUntilFor([this] { return Main.ConnectionState == csNotConnected; }, 10000));

    EXPECT_EQ(LogCount("Connecting to \"Test site\" (127.0.0.1)..."), 3);
    EXPECT_EQ(LogCount("Trying to reconnect in 3 seconds (2 retries left)"), 1);
    EXPECT_EQ(LogCount("Trying to reconnect in 3 seconds (1 retries left)"), 1);
    EXPECT_EQ(countdown, (QStringList{"2 seconds left to retry", "1 seconds left to retry",
                                      "2 seconds left to retry", "1 seconds left to retry"}));
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_TRUE(Dialogs.Asked[0].Text.startsWith("Site \"Test site\" could not be connected.\r\n"));
    EXPECT_TRUE(Dialogs.Asked[0].Alert);
    EXPECT_EQ(Main.windowTitle(), "Not connected - QuilloFTP");
}

TEST_F(ControllerTest, RejectedLoginIsNotRetried)
{
    Main.Settings().ConnectionSettings.Retries = 2;
    Server.SetReply("PASS", "530 Login incorrect.\r\n");
    EXPECT_FALSE(Main.ConnectToSite(Site(), QString()));
    EXPECT_EQ(Main.ConnectionState, csNotConnected);
    EXPECT_EQ(Server.ConnectionCount(), 1);
    ExpectColour("Invalid username or password", LogErrorColour);
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_EQ(Dialogs.Asked[0].Text, "Invalid username or password");
}

TEST_F(ControllerTest, UnresolvableHostIsNotRetried)
{
    Main.Settings().ConnectionSettings.Retries = 2;
    EXPECT_FALSE(Main.ConnectToSite(Site(UnresolvableHostName()), QString()));
    EXPECT_EQ(Main.ConnectionState, csNotConnected);
    EXPECT_EQ(LogCount("Trying to reconnect in 20 seconds (2 retries left)"), 0);
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_TRUE(Dialogs.Asked[0].Text.contains("Ensure that the site address is correct"));
    ExpectColour("Host not found", LogErrorColour);
}

TEST_F(ControllerTest, TimeOutIsNotRetried)
{
    UnansweredPort silent;
    Main.Settings().ConnectionSettings.DefaultPort = silent.Port();
    Main.Settings().ConnectionSettings.Retries = 2;
    Main.Ftp.TimeOut = 300;
    EXPECT_FALSE(Main.ConnectToSite(Site(), QString()));
    EXPECT_EQ(Main.ConnectionState, csNotConnected);
    ExpectColour("The site didn't response in 30 seconds. Connection failed.", LogErrorColour);
    ExpectColour("Connection timed out", LogErrorColour);
    EXPECT_EQ(Dialogs.Asked.size(), 1u);
}

TEST_F(ControllerTest, RefusedPortIsNamedAndThePasswordIsNotBlamed)
{
    Main.Settings().ConnectionSettings.DefaultPort = RefusingPort();
    EXPECT_FALSE(Main.ConnectToSite(Site(), QString()));
    const QString cause = QStringLiteral(
        "Connection refused. Ensure that the site address and its port are "
        "correct and Internet connection is active.");
    ExpectColour(cause, LogErrorColour);  // the log shows each line of the text apart
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_EQ(Dialogs.Asked[0].Text, "Site \"Test site\" could not be connected.\r\n" + cause);
    EXPECT_FALSE(Dialogs.Asked[0].Text.contains("password"));
}

TEST_F(ControllerTest, SiteThatTurnsUsAwayIsAFailureNotACancel)
{
    // A refused attempt first: its error number must not be blamed for the
    // next attempt's failure.
    Main.Settings().ConnectionSettings.DefaultPort = RefusingPort();
    EXPECT_FALSE(Main.ConnectToSite(Site(), QString()));
    Main.Settings().ConnectionSettings.DefaultPort = Server.Port();
    Dialogs.Asked.clear();

    Server.SetGreeting("421 Too many users, try later\r\n");
    EXPECT_FALSE(Main.ConnectToSite(Site(), QString()));
    EXPECT_EQ(Main.ConnectionState, csNotConnected);
    EXPECT_EQ(LogCount("Connecting cancelled"), 0);
    ExpectColour("The site closed the connection.", LogErrorColour);
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_EQ(Dialogs.Asked[0].Text,
              "Site \"Test site\" could not be connected.\r\nThe site closed the connection.");
}

TEST_F(ControllerTest, PortAfterTheHostIsTheOneConnectedTo)
{
    // Nothing answers on the default port: only the typed one reaches the server.
    Main.Settings().ConnectionSettings.DefaultPort = RefusingPort();
    const QString address = QStringLiteral("127.0.0.1:%1").arg(Server.Port());
    ASSERT_TRUE(Main.ConnectToSite(Site(address), QString())) << Log().join('\n').toStdString();
    EXPECT_EQ(Main.Ftp.Host, "127.0.0.1");
    EXPECT_EQ(Main.Ftp.Port, Server.Port());
    EXPECT_EQ(Main.CurrentSite.Address, address);  // the record keeps what was typed
    EXPECT_EQ(Main.RemoteDir->ItemCount(), 2);
    EXPECT_EQ(Main.windowTitle(), "Test site - QuilloFTP");
}

TEST_F(ControllerTest, ImplicitTlsSiteWithoutAPortGoesToItsOwnPort)
{
    TSiteSettings site = Site();
    site.Encryption = enImplicit;
    EXPECT_FALSE(Main.ConnectToSite(site, QString()));  // nothing listens on port 990 here
    EXPECT_EQ(Main.Ftp.Port, ImplicitTlsPort);
    EXPECT_EQ(Main.Ftp.Encryption, TFtpEncryption::Implicit);
    EXPECT_TRUE(Server.Commands().isEmpty()) << "the default port was used";
}

TEST_F(ControllerTest, RequiredEncryptionThatTheServerRefusesIsNamedAndNotRetried)
{
    Main.Settings().ConnectionSettings.Retries = 3;
    TSiteSettings site = Site();
    site.Encryption = enRequireExplicit;
    EXPECT_FALSE(Main.ConnectToSite(site, QString()));  // the scripted server knows no "AUTH TLS"
    EXPECT_EQ(Main.ConnectionState, csNotConnected);
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_TRUE(Dialogs.Asked[0].Text.contains(QStringLiteral("no password was sent")))
        << Dialogs.Asked[0].Text.toStdString();
    EXPECT_EQ(Server.Commands().value(0), "AUTH TLS");
    EXPECT_FALSE(Server.Commands().join('\n').contains("PASS"));
}

TEST_F(ControllerTest, RemoteHistoryGetsNoEntryForAnUnknownDirectory)
{
    Server.IgnoreNext("PWD");  // the first directory never becomes known
    QTimer poll;
    StopOnceSent("PWD", poll);
    ASSERT_TRUE(Main.ConnectToSite(Site(), QString()));
    ASSERT_TRUE(Main.RemoteDir->Directory().isEmpty());
    for (int i = 0; i < Main.cbRemoteDirectory->count(); ++i)
        EXPECT_FALSE(Main.cbRemoteDirectory->itemText(i).isEmpty()) << i;
}

TEST_F(ControllerTest, StopDuringAnAttemptCancelsIt)
{
    QTcpServer mute;  // accepts, never greets
    ASSERT_TRUE(mute.listen(QHostAddress::LocalHost));
    Main.Settings().ConnectionSettings.DefaultPort = mute.serverPort();
    Main.Settings().ConnectionSettings.Retries = 2;
    QTimer::singleShot(100, [this] {
        EXPECT_TRUE(Enabled("actStop"));
        Main.Actions[QStringLiteral("actStop")]->trigger();
    });
    EXPECT_FALSE(Main.ConnectToSite(Site(), QString()));
    EXPECT_EQ(Main.ConnectionState, csNotConnected);
    ExpectColour("Connecting cancelled", LogErrorColour);
    EXPECT_TRUE(Dialogs.Asked.empty());
}

TEST_F(ControllerTest, StopDuringTheFirstListingStopsOnlyThatCommand)
{
    Server.IgnoreNext("PWD");
    // Stop once the unanswered "PWD" is out: the login is over by then.
    QTimer poll;
    StopOnceSent("PWD", poll);
    EXPECT_TRUE(Main.ConnectToSite(Site(), QString()));
    EXPECT_EQ(Main.ConnectionState, csConnected);
    EXPECT_TRUE(Main.Ftp.Connected());
    EXPECT_FALSE(Main.RemoteDir->IsBusy());
    EXPECT_TRUE(Enabled("actDisconnect"));
    ExpectColour("Operation aborted", LogErrorColour);
    EXPECT_EQ(LogCount("Connecting cancelled"), 0);
    EXPECT_FALSE(Server.Commands().contains("QUIT"));
    EXPECT_TRUE(Dialogs.Asked.empty());
}

TEST_F(ControllerTest, MissingPasswordIsAskedForAndCancelLeavesEverything)
{
    TSiteSettings site = Site();
    site.Password.clear();
    Dialogs.OnModal([](QDialog&) { return int(QDialog::Rejected); });
    EXPECT_FALSE(Main.ConnectToSite(site, QString()));
    EXPECT_EQ(Main.ConnectionState, csNotConnected);
    EXPECT_EQ(Log().last(), "Connecting cancelled");
    EXPECT_EQ(Server.ConnectionCount(), 0);

    Dialogs.OnModal([](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("edPassword"))->setText(QStringLiteral("typed"));
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(Main.ConnectToSite(site, QString()));
    EXPECT_EQ(Server.Commands().mid(0, 2), (QByteArrayList{"USER alice", "PASS typed"}));
}

TEST_F(ControllerTest, DisconnectSendsQuitAndEndsTheSession)
{
    ASSERT_TRUE(Main.ConnectToSite(Site(), QString()));
    Main.Actions[QStringLiteral("actDisconnect")]->trigger();
    EXPECT_EQ(Main.ConnectionState, csNotConnected);
    EXPECT_EQ(Server.Commands().last(), "QUIT");
    ExpectColour("Disconnecting...", LogInfoColour);
    ExpectColour("Disconnected", LogSuccessColour);
    EXPECT_EQ(Main.RemoteDir->ItemCount(), 0);
    EXPECT_FALSE(Enabled("actDisconnect"));
    EXPECT_EQ(Main.StatusPanel1->text(), "Not connected");
}

TEST_F(ControllerTest, ServerClosingTheConnectionEndsTheSession)
{
    ASSERT_TRUE(Main.ConnectToSite(Site(), QString()));
    Server.CloseControlOn("TYPE");
    Main.RemoteDir->RefreshList();
    ASSERT_TRUE(WaitUntilFor([this] { return Main.ConnectionState == csNotConnected; }, 5000));
    // Nobody asked for it: an error with its cause, not a plain "Disconnected".
    ExpectColour("Connection lost: closed by the server", LogErrorColour);
    EXPECT_EQ(LogCount("Disconnected"), 0);
    EXPECT_FALSE(Main.RemoteDir->IsBusy());
}

TEST_F(ControllerTest, DisconnectGuardClosesWhenQuitIsNeverAnswered)
{
    ASSERT_TRUE(Main.ConnectToSite(Site(), QString()));
    Server.IgnoreNext("QUIT");
    Main.tmrDisconnect.setInterval(200);
    Main.DisconnectFromSite();
    EXPECT_EQ(Main.ConnectionState, csNotConnected);
    EXPECT_FALSE(Main.Ftp.Connected());
    EXPECT_EQ(LogCount("Disconnected"), 1);
}

TEST_F(ControllerTest, DisconnectAskedForAgainWhileQuitIsAwaitedSendsNothingMore)
{
    ASSERT_TRUE(Main.ConnectToSite(Site(), QString()));
    Server.IgnoreNext("QUIT");
    // Long enough that the second request surely comes while "QUIT" is awaited.
    Main.tmrDisconnect.setInterval(2000);
    bool closed = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!Server.Commands().contains("QUIT")) return;
        poll.stop();
        Main.Actions[QStringLiteral("actDisconnect")]->trigger();
        closed = Main.close();
    });
    poll.start(5);
    Main.DisconnectFromSite();
    EXPECT_TRUE(closed);
    EXPECT_EQ(Main.ConnectionState, csNotConnected);
    EXPECT_EQ(Server.Commands().count("QUIT"), 1);
    EXPECT_EQ(LogCount("Disconnecting..."), 1);
    EXPECT_EQ(LogCount("Disconnected"), 1);
    EXPECT_TRUE(Dialogs.Asked.empty());  // nothing to ask while the session is ending
}

TEST_F(ControllerTest, ClosingWhileConnectedAsksFirst)
{
    ASSERT_TRUE(Main.ConnectToSite(Site(), QString()));
    Dialogs.Answer(mrCancel);
    EXPECT_FALSE(Main.close());
    EXPECT_TRUE(Main.IsConnected());
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_EQ(Dialogs.Asked[0].Text,
              "QuilloFTP is still connected to a site. Are you sure you want to quit?");

    Dialogs.Answer(mrOk);
    EXPECT_TRUE(Main.close());
    EXPECT_EQ(Main.ConnectionState, csNotConnected);
    EXPECT_EQ(Server.Commands().last(), "QUIT");
}

TEST_F(ControllerTest, ClosingDuringAnAttemptOrARetryWaitEndsItWithoutAsking)
{
    QTcpServer mute;  // accepts, never greets
    ASSERT_TRUE(mute.listen(QHostAddress::LocalHost));
    Main.Settings().ConnectionSettings.DefaultPort = mute.serverPort();
    bool closed = false;
    QTimer::singleShot(100, [&] { closed = Main.close(); });
    EXPECT_FALSE(Main.ConnectToSite(Site(), QString()));
    EXPECT_TRUE(closed);
    EXPECT_EQ(Main.ConnectionState, csNotConnected);

    Main.Settings().ConnectionSettings.DefaultPort = RefusingPort();
    Main.Settings().ConnectionSettings.Retries = 1;
    EXPECT_FALSE(Main.ConnectToSite(Site(), QString()));
    ASSERT_TRUE(Main.tmrSecondTimer.isActive());
    EXPECT_TRUE(Main.close());
    EXPECT_FALSE(Main.tmrSecondTimer.isActive());
    EXPECT_EQ(Main.ConnectionState, csNotConnected);
    EXPECT_TRUE(Dialogs.Asked.empty());
}

TEST_F(ControllerTest, NewConnectionWhileConnectedAsksToDisconnect)
{
    ASSERT_TRUE(Main.ConnectToSite(Site(), QString()));
    Dialogs.Answer(mrCancel);
    EXPECT_FALSE(Main.ConnectToSite(Site(), QString()));
    EXPECT_TRUE(Main.IsConnected());
    Dialogs.Answer(mrOk);
    EXPECT_TRUE(Main.ConnectToSite(Site(), QString()));
    EXPECT_EQ(Server.ConnectionCount(), 2);
}

TEST_F(ControllerTest, NewConnectionDuringAnAttemptEndsItAndConnectsTheNewSite)
{
    QTcpServer mute;  // accepts, never greets
    ASSERT_TRUE(mute.listen(QHostAddress::LocalHost));
    const quint16 serverPort = Server.Port();
    Main.Settings().ConnectionSettings.DefaultPort = mute.serverPort();
    bool second = false;
    QTimer::singleShot(100, [&] {
        Dialogs.Answer(mrOk);
        Main.Settings().ConnectionSettings.DefaultPort = serverPort;
        second = Main.ConnectToSite(Site(), QString());
    });
    EXPECT_FALSE(Main.ConnectToSite(Site(), QString()));
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_TRUE(Dialogs.Asked[0].Text.contains("trying to connect to an another site"));
    // The new site follows once the cancelled attempt has unwound.
    EXPECT_FALSE(second);
    ASSERT_TRUE(WaitUntilFor([this] { return Main.ConnectionState == csConnected; }, 5000));
    EXPECT_TRUE(Main.Ftp.Connected());
    EXPECT_EQ(Main.RemoteDir->ItemCount(), 2);
}

TEST_F(ControllerTest, NewConnectionDuringARemoteCommandFollowsOnceTheCommandHasEnded)
{
    // The refresh hangs until the session ends: first in its reply wait,
    // then waiting for a data connection that never comes.
    ASSERT_TRUE(Main.ConnectToSite(Site(), QString()));
    for (const bool inDataPhase : {false, true}) {
        const int connections = Server.ConnectionCount();
        if (inDataPhase)
            Server.SkipNextConnectBack();
        else
            Server.IgnoreNext("TYPE");
        // The new connection is asked for only once the refresh hangs where
        // this round wants it: in the reply wait, or after the server's 150.
        const qsizetype sent = Server.Commands().size();
        const int opened = LogCount("150 Opening data connection");
        bool second = true;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            const bool hanging = inDataPhase ? LogCount("150 Opening data connection") > opened
                                             : Server.Commands().mid(sent).contains("TYPE A");
            if (!hanging) return;
            poll.stop();
            Dialogs.Answer(mrOk);
            second = Main.ConnectToSite(Site(), QString());
        });
        poll.start(5);
        Main.RemoteDir->RefreshList();
        EXPECT_FALSE(second);
        ASSERT_TRUE(WaitUntilFor(
            [&] { return Server.ConnectionCount() == connections + 1 && Main.RemoteDir->ItemCount() == 2; },
            5000))
            << Log().join("\n").toStdString();
        EXPECT_TRUE(Main.IsConnected());
        EXPECT_FALSE(Main.RemoteDir->IsBusy());
        EXPECT_EQ(LogCount("No connection"), 0);
    }
}

TEST_F(ControllerTest, RemoteDeletionsAreConfirmedFirst)
{
    ASSERT_TRUE(Main.ConnectToSite(Site(), QString()));
    const int pub = Main.RemoteDir->FindItem(QStringLiteral("pub"), true);
    ASSERT_GE(pub, 0);
    const qsizetype before = Server.Commands().size();

    Dialogs.Answer(mrNo);
    EXPECT_FALSE(Main.RemoteDir->DeleteItems(pub, false));
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_EQ(Dialogs.Asked[0].Text, "Are you sure you want to delete directory \"pub\" and its contents?");
    EXPECT_EQ(Server.Commands().size(), before);  // nothing was sent

    const int notes = Main.RemoteDir->FindItem(QStringLiteral("notes.txt"), true);
    Dialogs.Answer(mrYes);
    EXPECT_TRUE(Main.RemoteDir->DeleteItems(notes, false));
    EXPECT_EQ(Dialogs.Asked.back().Text, "Are you sure you want to delete file \"notes.txt\"?");
    EXPECT_EQ(Server.Commands().last(), "DELE notes.txt");
}

TEST_F(ControllerTest, FormsAreCentredOnTheWindowWithTheSizeTheyWillShowWith)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QRect area = screen->availableGeometry();
    Main.setGeometry(area.left() + 40, area.top() + 30, 400, 300);
    Main.show();

    QDialog form(&Main);
    auto* layout = new QVBoxLayout(&form);
    auto* body = new QWidget;
    body->setMinimumSize(240, 160);
    layout->addWidget(body);
    TfrmMain::CenterForm(&Main, form);
    EXPECT_GE(form.width(), 240);  // the size it will show with, not a default
    EXPECT_LE(qAbs(form.frameGeometry().center().x() - Main.frameGeometry().center().x()), 1);
    EXPECT_LE(qAbs(form.frameGeometry().center().y() - Main.frameGeometry().center().y()), 1);

    // Too tall to centre over the window: it moves up until it fits the screen.
    body->setMinimumSize(240, area.height() - 60);
    form.resize(form.sizeHint());
    TfrmMain::CenterForm(&Main, form);
    EXPECT_GE(form.frameGeometry().top(), area.top());
    EXPECT_LE(form.frameGeometry().bottom(), area.bottom());
}

}  // namespace
