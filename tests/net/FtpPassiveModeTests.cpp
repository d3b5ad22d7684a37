// Passive mode against the scripted server: how the data connection is
// asked for, what the session remembers of refusals, the address it connects
// to, and the ways a passive connection can fail.
#include "support/EngineRecorder.h"
#include "support/ScriptedFtpServer.h"
#include "support/TestFiles.h"
#include "support/UnansweredPort.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QByteArray EpsvOk = "229 Entering Extended Passive Mode (|||{port}|)\r\n";
const QByteArray PasvOk = "227 Entering Passive Mode (127,0,0,1,{p1},{p2})\r\n";
const QString ForSession =
    QStringLiteral("The server refused passive mode; active mode is used for the rest of the session");
const QString ForNow = QStringLiteral("Passive mode is not available now; this transfer uses active mode");

class FtpPassiveTest : public ::testing::Test {
protected:
    FtpPassiveTest()
    {
        SetUpTestClient(Ftp, Server.Port());
        Ftp.PassiveMode = true;
        Ftp.TimeOut = 5000;
        Server.SetData("LIST", "a\r\nb\r\n");
    }
    void SetUp() override { Ftp.Connect(); }
    void TearDown() override { EXPECT_FALSE(Log.WatchdogFired()); }
    // The commands a call sent, "PORT" arguments masked.
    QByteArrayList CommandsOf(const std::function<void()>& call)
    {
        const qsizetype before = Server.Commands().size();
        call();
        return Server.MaskedCommands().mid(before);
    }
    QString Local(const QString& name) const { return Dir.filePath(name); }

    QTemporaryDir Dir;
    ScriptedFtpServer Server;
    TFtpClient Ftp;
    EngineRecorder Log{Ftp};
};

TEST_F(FtpPassiveTest, RefusalsDecideTheNextDataConnectionsUntilTheNextLogin)
{
    const struct {
        const char* what;
        QByteArray epsv, pasv;
        QByteArrayList first, second;
        QString logged;  // empty: no fallback line
    } cases[] = {
        // First, so a session state that outlived its login would show below.
        {"both refused",
         "500 Unknown\r\n",
         "502 Not here\r\n",
         {"EPSV", "PASV", "PORT *", "LIST"},
         {"PORT *", "LIST"},
         ForSession},
        {"EPSV works", EpsvOk, PasvOk, {"EPSV", "LIST"}, {"EPSV", "LIST"}, {}},
        {"EPSV refused", "500 Unknown\r\n", PasvOk, {"EPSV", "PASV", "LIST"}, {"PASV", "LIST"}, {}},
        // A 4xx says "not now" (RFC 959): this transfer goes active, the next asks again.
        {"both busy",
         "425 No port free\r\n",
         "425 No port free\r\n",
         {"EPSV", "PASV", "PORT *", "LIST"},
         {"EPSV", "PASV", "PORT *", "LIST"},
         ForNow},
        {"EPSV busy", "450 Later\r\n", PasvOk, {"EPSV", "PASV", "LIST"}, {"EPSV", "PASV", "LIST"}, {}},
        // An accepted answer that names no port is no refusal of passive
        // mode: this transfer does without it, the next asks again.
        {"EPSV unreadable",
         "229 Extended Passive Mode (|||0|)\r\n",
         PasvOk,
         {"EPSV", "PASV", "LIST"},
         {"EPSV", "PASV", "LIST"},
         {}},
        {"PASV unreadable",
         "500 Unknown\r\n",
         "227 Passive (127,0,0,1,4)\r\n",
         {"EPSV", "PASV", "PORT *", "LIST"},
         {"PASV", "PORT *", "LIST"},
         ForNow},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Ftp.Disconnect();
        Server.SetReply("EPSV", c.epsv);
        Server.SetReply("PASV", c.pasv);
        Ftp.Connect();
        Log.Status.clear();
        Log.Events.clear();
        QByteArrayList lines;
        Ftp.OnListItem = [&lines](const QByteArray& line) { lines << line; };
        EXPECT_EQ(CommandsOf([this] { Ftp.ListDirectory(); }), c.first);
        EXPECT_EQ(CommandsOf([this] { Ftp.ListDirectory(); }), c.second);
        EXPECT_EQ(lines, (QByteArrayList{"a", "b", "a", "b"}));
        EXPECT_EQ(Log.Events, (QStringList{"success 4", "success 4"}));
        EXPECT_EQ(Log.Status.count(ForSession), c.logged == ForSession ? 1 : 0);
        EXPECT_EQ(Log.Status.count(ForNow), c.logged == ForNow ? 2 : 0);
    }
}

TEST_F(FtpPassiveTest, TheDataConnectionGoesToTheControlPeerWhateverPasvNames)
{
    const QByteArray payload = testfiles::SeededBytes(70000, 3);
    Server.SetData("RETR", payload);
    Server.SetReply("EPSV", "500 Unknown\r\n");
    const QString natLine = QStringLiteral(
        "The server named %1 for the data connection; connecting to "
        "127.0.0.1, the address of the control connection, instead");
    const struct {
        QByteArray pasv;
        const char* named;
        bool logged;
    } cases[] = {
        // A server behind a NAT names its private address.
        {"227 Entering Passive Mode (10,0,0,1,{p1},{p2})\r\n", "10.0.0.1", true},
        // Any other host is never connected to (the bounce attack).
        {"227 Entering Passive Mode (192,0,2,7,{p1},{p2})\r\n", "192.0.2.7", true},
        {"227 Entering Passive Mode (127,0,0,1,{p1},{p2})\r\n", "127.0.0.1", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        Server.SetReply("PASV", c.pasv);
        Log.Status.clear();
        const QString target = Local(QString::fromLatin1(c.named));
        Ftp.RetrieveFile("f", target);
        EXPECT_EQ(testfiles::Read(target), payload);
        EXPECT_EQ(Log.Status.count(natLine.arg(QString::fromLatin1(c.named))), c.logged ? 1 : 0);
        EXPECT_TRUE(Log.Status.contains("Received 70000 Bytes"));
    }
}

TEST_F(FtpPassiveTest, RefusedTransferCommandClosesOurConnectionAndTheSessionGoesOn)
{
    Log.HandleFailures = true;
    for (const char* verb : {"RETR", "STOR", "LIST"}) {
        SCOPED_TRACE(verb);
        Log.Events.clear();
        Server.QueueReply(verb, "550 Not allowed\r\n");
        testfiles::Write(Local("up"), "x");
        if (QByteArray(verb) == "RETR") Ftp.RetrieveFile("f", Local("f"));
        if (QByteArray(verb) == "STOR") Ftp.StoreFile(Local("up"), "up");
        if (QByteArray(verb) == "LIST") Ftp.ListDirectory();
        EXPECT_TRUE(Log.Events.last().startsWith("failure")) << Log.Events.join(", ").toStdString();
        EXPECT_EQ(Ftp.DataConnection(), nullptr);
    }
    // The next transfer opens a connection of its own.
    Server.SetData("RETR", "fresh");
    Ftp.RetrieveFile("g", Local("g"));
    EXPECT_EQ(testfiles::Read(Local("g")), "fresh");
}

TEST_F(FtpPassiveTest, AStopWhileThePortIsAskedForConnectsNowhere)
{
    Ftp.OnStatus = [this](QObject*, const QString& text) {
        Log.Status << text;
        if (text == "EPSV") Ftp.Abort();
    };
    try {
        Ftp.ListDirectory();
        FAIL() << "the listing went on after the stop";
    } catch (const ESockError& e) {
        EXPECT_EQ(e.Message(), "Connection Canceled");
    }
    EXPECT_FALSE(Server.Commands().contains("LIST"));
    Ftp.OnStatus = [this](QObject*, const QString& text) { Log.Status << text; };
    Ftp.SendCommand("SYST");
    EXPECT_EQ(Ftp.ReplyCode(), 215);
}

TEST_F(FtpPassiveTest, APortThatRefusesOrNeverAnswersFailsInTimeAndTheSessionGoesOn)
{
    UnansweredPort silent;
    ASSERT_NE(silent.Port(), 0);
    quint16 closed = 0;
    {
        ScriptedFtpServer gone;  // nothing listens on its port once it is gone
        closed = gone.Port();
    }
    Ftp.TimeOut = 300;
    const struct {
        quint16 port;
        QString message;
    } cases[] = {
        {silent.Port(), QStringLiteral("The data connection to 127.0.0.1 port %1 was not made within 300 ms")
                            .arg(silent.Port())},
        {closed, QStringLiteral("Cannot open the data connection to 127.0.0.1 port %1: ").arg(closed)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        Server.SetReply("EPSV",
                        "229 Entering Extended Passive Mode (|||" + QByteArray::number(c.port) + "|)\r\n");
        try {
            Ftp.ListDirectory();
            ADD_FAILURE() << "a listing without a data connection passed";
        } catch (const ESockError& e) {
            EXPECT_TRUE(e.Message().startsWith(c.message)) << e.what();
        }
        EXPECT_FALSE(Server.Commands().contains("LIST"));
        Ftp.SendCommand("SYST");
        EXPECT_EQ(Ftp.ReplyCode(), 215);
    }
}

}  // namespace
