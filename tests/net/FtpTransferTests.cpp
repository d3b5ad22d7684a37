// Listings, downloads and uploads against the scripted server: in active
// mode, and the cases that hold for both in passive mode as well.
#include "platform/PumpedWait.h"
#include "support/EngineRecorder.h"
#include "support/ScriptedFtpServer.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using testfiles::Read;
using testfiles::SeededBytes;

void WriteFile(const QString& path, const QByteArray& bytes)
{
    ASSERT_TRUE(testfiles::Write(path, bytes)) << path.toStdString();
}

// Somebody on another address of this machine who connects to the client's
// data port first and sends a line of its own.
struct Stranger : QTcpSocket {
    explicit Stranger(quint16 port)
    {
        if (!bind(QHostAddress(QStringLiteral("127.0.0.2")))) return;
        connectToHost(QHostAddress::LocalHost, port);
        Connected = waitForConnected(5000) && write("INJECTED\r\n") == 10 && waitForBytesWritten(5000);
    }
    // What reached the stranger before the client closed the connection.
    QByteArray Received()
    {
        QByteArray got;
        while (state() == ConnectedState && waitForReadyRead(5000))
            got += readAll();
        return got + readAll() + (state() == ConnectedState ? "<still open>" : "");
    }
    bool Connected = false;
};

class FtpTransferTest : public ::testing::Test {
protected:
    FtpTransferTest()
    {
        SetUpTestClient(Ftp, Server.Port());
        Ftp.ParseList = true;
    }
    void SetUp() override
    {
        Ftp.Connect();
        ASSERT_TRUE(Ftp.Connected());
        Log.Status.clear();
        Log.Events.clear();
    }
    void TearDown() override { EXPECT_FALSE(Log.WatchdogFired()); }
    QString Local(const QString& name) const { return Dir.filePath(name); }
    // After "USER", "PASS" and "FEAT".
    QByteArrayList CommandsAfterLogin() const { return Server.MaskedCommands().mid(3); }
    QStringList FolderEntries() const
    {
        return QDir(Dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    // Runs `react` on each status text after the recorder has seen it.
    void OnEachStatus(const std::function<void(const QString&)>& react)
    {
        Ftp.OnStatus = [this, react](QObject*, const QString& text) {
            Log.Status << text;
            react(text);
        };
    }

    QTemporaryDir Dir;
    ScriptedFtpServer Server;
    TFtpClient Ftp;
    EngineRecorder Log{Ftp};
};

// The cases that hold for either data connection: run in active and in
// passive mode.
class FtpTransferInBothModes : public FtpTransferTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        Ftp.PassiveMode = GetParam();
        FtpTransferTest::SetUp();
    }
};

INSTANTIATE_TEST_SUITE_P(DataConnection, FtpTransferInBothModes, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Passive" : "Active"; });

TEST_F(FtpTransferTest, FirstListingDetectsTheServerSystemAndLaterOnesDoNot)
{
    Server.SetData("LIST", "-rw-r--r-- 1 u g 5 Jan 01 2020 a.txt\r\n");
    Ftp.ListDirectory();
    Ftp.ListDirectory();
    EXPECT_EQ(CommandsAfterLogin(), (QByteArrayList{"SYST", "PORT *", "LIST", "PORT *", "LIST"}));
    EXPECT_EQ(Ftp.Vendor, vnUnix);
    EXPECT_EQ(Server.LastPortAddress(), "127.0.0.1");
    ASSERT_NE(Ftp.DirectoryList(), nullptr);
    EXPECT_EQ(Ftp.DirectoryList()->NameList, QByteArrayList{"a.txt"});  // emptied before each listing
    EXPECT_EQ(Log.Events, (QStringList{"success 14", "success 4", "success 4"}));
    EXPECT_EQ(Ftp.DataConnection(), nullptr);
}

TEST_P(FtpTransferInBothModes, ListingLinesLoseTheirLineEndsAndTheLastLineNeedsNone)
{
    Server.SetData("LIST", "first line\r\nsecond line\n\r\nx\nlast line");
    QByteArrayList lines;
    Ftp.OnListItem = [&](const QByteArray& line) { lines << line; };
    Ftp.ListDirectory();
    EXPECT_EQ(lines, (QByteArrayList{"first line", "second line", "\r\n", "x\n", "last line"}));
    EXPECT_EQ(Ftp.TotalBytes(), 37);
    EXPECT_TRUE(Log.Status.contains("Received 37 Bytes"));
}

TEST_P(FtpTransferInBothModes, OneListingLineCrossingManyChunksStaysWhole)
{
    QByteArray listing;
    for (int i = 0; i < 3000; ++i)
        listing += "-rw-r--r-- 1 owner group " + QByteArray::number(i) + " Mar 3 12:00 file " +
                   QByteArray::number(i) + "\r\n";
    Server.SetData("LIST", listing);
    int count = 0;
    Ftp.OnListItem = [&](const QByteArray& line) {
        EXPECT_TRUE(line.endsWith(" " + QByteArray::number(count))) << line.constData();
        ++count;
    };
    Ftp.ListDirectory();
    EXPECT_EQ(count, 3000);
    EXPECT_EQ(Ftp.DirectoryList()->NameList.size(), 3000);
}

TEST_F(FtpTransferTest, DownloadStoresTheBytesExactlyAndReportsInOrder)
{
    const QByteArray payload = SeededBytes(100000, 7);
    Server.SetData("RETR", payload);
    Server.SetReply("RETR", "150 Opening BINARY mode data connection for big.bin (100000 bytes)\r\n");
    qint64 announced = -1;
    int packets = 0;
    Ftp.OnTransactionStart = [&](QObject*) {
        announced = Ftp.TotalBytes();
        Log.Events << "start";
    };
    Ftp.OnPacketRecvd = [&](QObject* sender) {
        ++packets;
        EXPECT_EQ(sender, Ftp.DataConnection());
    };
    Ftp.OnTransactionStop = [&](QObject*) { Log.Events << "stop"; };
    Ftp.RetrieveFile("big.bin", Local("big.bin"));

    EXPECT_EQ(Read(Local("big.bin")), payload);
    EXPECT_EQ(announced, 100000);
    EXPECT_GT(packets, 0);
    EXPECT_EQ(Log.Events, (QStringList{"start", "stop", "success 8"}));
    const QStringList expected{"200 PORT ok", "RETR big.bin",
                               "150 Opening BINARY mode data connection for big.bin (100000 bytes)",
                               "Received 100000 Bytes", "226 Transfer complete"};
    EXPECT_EQ(Log.Status.mid(1), expected);
    EXPECT_TRUE(Log.Status.first().startsWith("PORT 127,0,0,1,"));
    EXPECT_EQ(CommandsAfterLogin(), (QByteArrayList{"PORT *", "RETR big.bin"}));
}

TEST_P(FtpTransferInBothModes, DownloadWithoutAnnouncedSizeCountsWhatArrivedAndReplacesTheFile)
{
    WriteFile(Local("f"), QByteArray(5000, 'o'));
    Server.SetData("RETR", "new");
    Ftp.RetrieveFile("f", Local("f"));
    EXPECT_EQ(Read(Local("f")), "new");
    EXPECT_EQ(Ftp.TotalBytes(), 3);
}

TEST_P(FtpTransferInBothModes, SizeMayBeAnnouncedInAContinuationLine)
{
    Server.SetData("RETR", "12345");
    Server.SetReply("RETR", "150-Opening data connection\r\n150 Sending 5 bytes\r\n");
    qint64 announced = -1;
    Ftp.OnTransactionStart = [&](QObject*) { announced = Ftp.TotalBytes(); };
    Ftp.RetrieveFile("f", Local("f"));
    EXPECT_EQ(announced, 5);
}

TEST_P(FtpTransferInBothModes, TextModeDownloadStoresLocalLineEnds)
{
    Ftp.SetTransferType(1);
    // A CR LF pair split by the chunk size must still become one LF.
    const QByteArray wire = QByteArray(16382, 'a') + "\r\nb\r\n\r\nlone\rcr\r";
    Server.SetData("RETR", wire);
    Ftp.RetrieveFile("t.txt", Local("t.txt"));
    EXPECT_EQ(Read(Local("t.txt")), QByteArray(16382, 'a') + "\nb\n\nlone\rcr\r");
}

TEST_P(FtpTransferInBothModes, TextModeUploadSendsCrLf)
{
    Ftp.SetTransferType(1);
    WriteFile(Local("u.txt"), "one\ntwo\r\nthree\n");
    Ftp.StoreFile(Local("u.txt"), "u.txt");
    EXPECT_EQ(Server.Uploaded(), "one\r\ntwo\r\nthree\r\n");
    Ftp.SetTransferType(2);
    Ftp.StoreFile(Local("u.txt"), "u.txt");
    EXPECT_EQ(Server.Uploaded(), "one\ntwo\r\nthree\n");
}

TEST_F(FtpTransferTest, UploadSendsTheWholeFileAndNamesItByItsFileName)
{
    const QByteArray payload = SeededBytes(300000, 11);
    WriteFile(Local("up load.bin"), payload);
    qint64 lastSent = 0;
    Ftp.OnPacketSent = [&](QObject*) { lastSent = Ftp.DataSentBytes(); };
    Ftp.StoreFile(Local("up load.bin"), QByteArray());
    EXPECT_EQ(Server.Uploaded(), payload);
    EXPECT_EQ(lastSent, payload.size());
    EXPECT_EQ(Ftp.TotalBytes(), payload.size());
    EXPECT_EQ(CommandsAfterLogin(), (QByteArrayList{"PORT *", "STOR up load.bin"}));
    EXPECT_TRUE(Log.Status.contains("STOR " + Local("up load.bin")));
    EXPECT_EQ(Log.Events, QStringList{"success 9"});
}

TEST_P(FtpTransferInBothModes, EmptyUploadCompletes)
{
    WriteFile(Local("empty"), {});
    Server.SetData("RETR", "placeholder");
    Ftp.StoreFile(Local("empty"), "empty");
    EXPECT_EQ(Server.Uploaded(), "");
    EXPECT_EQ(Log.Events, QStringList{"success 9"});
}

TEST_P(FtpTransferInBothModes, RefusedTransferCommandEndsTheOperationWithoutWaiting)
{
    Log.HandleFailures = true;
    Server.QueueReply("RETR", "550 No such file\r\n");
    Ftp.RetrieveFile("missing", Local("missing"));  // returns: no connection will come
    EXPECT_EQ(Log.Events, QStringList{"failure 8"});
    EXPECT_EQ(Ftp.DataConnection(), nullptr);

    Log.Events.clear();
    Server.QueueReply("LIST", "502 No listings\r\n");
    Ftp.ListDirectory();
    EXPECT_EQ(Log.Events, (QStringList{"success 14", "unsupported 4", "failure 4"}));

    Log.Events.clear();
    WriteFile(Local("f"), "x");
    Server.QueueReply("STOR", "553 Not allowed\r\n");
    Ftp.StoreFile(Local("f"), "f");
    EXPECT_EQ(Log.Events, QStringList{"failure 9"});

    Log.HandleFailures = false;
    Server.QueueReply("RETR", "550 No such file\r\n");
    EXPECT_THROW(Ftp.RetrieveFile("missing", Local("missing")), FTPException);
    // The client is ready for more.
    Ftp.SendCommand("SITE idle");
    EXPECT_EQ(Server.Commands().last(), "SITE idle");
    EXPECT_EQ(Ftp.ReplyCode(), 250);
}

TEST_F(FtpTransferTest, HandledPortRefusalStillSendsTheTransferCommand)
{
    Log.HandleFailures = true;
    Server.QueueReply("PORT", "500 PORT not understood\r\n");
    Server.SetData("LIST", "");
    Ftp.ListDirectory();
    EXPECT_EQ(CommandsAfterLogin(), (QByteArrayList{"SYST", "PORT *", "LIST"}));
    EXPECT_EQ(Log.Events, (QStringList{"success 14", "failure 4", "success 4"}));
}

TEST_F(FtpTransferTest, AbortWhileWaitingForTheServersConnection)
{
    Server.SkipNextConnectBack();
    Log.Status.clear();
    Ftp.OnTransactionStart = [](QObject*) { ADD_FAILURE() << "no connection was made"; };
    QTimer::singleShot(200, [this] { Ftp.Abort(); });
    try {
        Ftp.RetrieveFile("f", Local("f"));
        FAIL() << "the download did not end";
    } catch (const ESockError& e) {
        EXPECT_EQ(e.Message(), "Accepting Canceled");
    }
    EXPECT_EQ(Ftp.DataConnection(), nullptr);
    EXPECT_FALSE(Log.Events.contains("success 8"));
}

TEST_F(FtpTransferTest, ServerGivingUpBeforeItConnectsEndsTheWait)
{
    // Once the server has answered the transfer command (its 150), it gives
    // up on connecting and says so on the control connection. The refusal
    // waits until the client has read that 150, so it can never overtake it.
    QTimer giveUp;
    QByteArray refusal;
    qsizetype statusAt = 0;
    QObject::connect(&giveUp, &QTimer::timeout, [&] {
        if (!Log.Status.mid(statusAt).contains("150 Opening data connection")) return;
        giveUp.stop();
        Server.SendRaw(refusal);
    });
    const auto refuseAfterTheTransferCommand = [&](const QByteArray& line) {
        Server.SkipNextConnectBack();
        refusal = line;
        statusAt = Log.Status.size();
        giveUp.start(5);
    };

    for (const QByteArray& line :
         {QByteArray("425 Can't open data connection.\r\n"), QByteArray("421 Timeout.\r\n")}) {
        Log.Events.clear();
        refuseAfterTheTransferCommand(line);
        try {
            Ftp.RetrieveFile("f", Local("f"));
            FAIL() << "the download did not fail: " << line.constData();
        } catch (const FTPException& e) {
            EXPECT_EQ(e.ReplyLine(), line);
        }
        EXPECT_EQ(Ftp.DataConnection(), nullptr);
        EXPECT_EQ(Log.Events, QStringList{"failure 8"});
        EXPECT_EQ(Log.Status.last(), QString::fromLatin1(line.trimmed()));
    }
    // With the failure handled there is no exception, and the client goes on.
    Log.HandleFailures = true;
    refuseAfterTheTransferCommand("425 No way\r\n");
    EXPECT_NO_THROW(Ftp.RetrieveFile("f", Local("f")));
    Ftp.SendCommand("SYST");
    EXPECT_EQ(Ftp.ReplyCode(), 215);
}

TEST_P(FtpTransferInBothModes, AbortDuringDownloadKeepsThePartAndLeavesTheClientReady)
{
    Server.SetData("RETR", SeededBytes(4 << 20, 3));
    Ftp.OnPacketRecvd = [this](QObject*) {
        if (Ftp.DataReceivedBytes() >= 100000) Ftp.Abort();
    };
    try {
        Ftp.RetrieveFile("big", Local("big"));
        FAIL() << "the download was not aborted";
    } catch (const EAbortError& e) {
        EXPECT_EQ(e.Message(), "Socket send aborted");
    }
    const qint64 kept = QFileInfo(Local("big")).size();
    EXPECT_GE(kept, 100000);
    EXPECT_LT(kept, 4 << 20);
    Ftp.OnPacketRecvd = nullptr;
    Server.QueueReply("SITE", "200 Answer to this command\r\n");
    Ftp.SendCommand("SITE x");
    EXPECT_EQ(Ftp.LastReply(), "200 Answer to this command\r\n");
}

TEST_P(FtpTransferInBothModes, Reply426DuringDownloadIsAFailureNotASuccess)
{
    Server.SetData("RETR", SeededBytes(2 << 20, 5));
    Server.SendControlAfterBytes(200000, "426 Connection closed; transfer aborted.\r\n", true);
    try {
        Ftp.RetrieveFile("cut", Local("cut"));
        FAIL() << "a cut download passed";
    } catch (const FTPException& e) {
        EXPECT_EQ(e.ReplyLine(), "426 Connection closed; transfer aborted.\r\n");
    }
    EXPECT_FALSE(Log.Events.contains("success 8"));
    EXPECT_TRUE(Log.Events.contains("failure 8"));
    EXPECT_TRUE(Log.Status.contains("426 Connection closed; transfer aborted."));
    Ftp.SendCommand("SYST");
    EXPECT_EQ(Ftp.ReplyCode(), 215);
}

// Only a completion reply (2xx) after the data makes a success; a further
// preliminary reply is read past, and the replies stay in step either way.
TEST_P(FtpTransferInBothModes, OnlyACompletionReplyAfterTheDataIsASuccess)
{
    Server.SetData("RETR", "0123456789");
    const std::pair<QByteArray, bool> finals[] = {
        {"150 Still sending\r\n226 Done\r\n", true},
        {"350 Odd\r\n", false},
        {"150 Still sending\r\n451 Local error\r\n", false},
    };
    for (const auto& [final, succeeds] : finals) {
        SCOPED_TRACE(final.constData());
        Server.QueueFinalReply("RETR", final);
        bool passed = true;
        try {
            Ftp.RetrieveFile("f", Local("f"));
        } catch (const FTPException&) {
            passed = false;
        }
        EXPECT_EQ(passed, succeeds);
        Ftp.SendCommand("SYST");
        EXPECT_EQ(Ftp.ReplyCode(), 215);
    }
}

// A "421" or a closed control connection ends a transfer whose data would
// otherwise keep the wait going: here the data connection stays open.
TEST_P(FtpTransferInBothModes, TheServerEndsATransferThroughTheControlConnection)
{
    Ftp.TimeOut = 20000;  // the stall must not be what ends it
    Server.SetData("RETR", SeededBytes(2 << 20, 5));
    for (const bool closing : {false, true}) {
        SCOPED_TRACE(closing ? "closed" : "421");
        Server.StallDataAfterBytes(200000, /*answer=*/false);
        Server.SendControlAfterBytes(200000, closing ? "" : "421 Shutting down\r\n", false, closing);
        try {
            Ftp.RetrieveFile("f", Local("f"));
            ADD_FAILURE() << "the transfer did not fail";
        } catch (const FTPException& e) {
            EXPECT_FALSE(closing);
            EXPECT_EQ(e.ReplyLine(), "421 Shutting down\r\n");
        } catch (const ETimeOutError& e) {
            ADD_FAILURE() << e.what();
        } catch (const ESockError& e) {
            EXPECT_TRUE(closing);
            EXPECT_EQ(e.Message(), "The server closed the control connection during the transfer");
        }
        EXPECT_EQ(Ftp.DataConnection(), nullptr);
    }
    EXPECT_FALSE(Ftp.Connected());
    EXPECT_FALSE(Log.WatchdogFired());
}

TEST_P(FtpTransferInBothModes, RefusingFinalReplyAfterTheDataIsAFailure)
{
    WriteFile(Local("up"), SeededBytes(5000, 3));
    Server.SetFinalReply("STOR", "552 Exceeded storage allocation\r\n");
    try {
        Ftp.StoreFile(Local("up"), "up");
        FAIL() << "an upload the server refused to keep passed";
    } catch (const FTPException& e) {
        EXPECT_EQ(e.ReplyLine(), "552 Exceeded storage allocation\r\n");
    }
    EXPECT_EQ(Ftp.ReplyCode(), 552);
    EXPECT_TRUE(Log.Events.contains("failure 9"));
    EXPECT_FALSE(Log.Events.contains("success 9"));
    // A handler that takes the failure leaves no exception.
    Log.HandleFailures = true;
    EXPECT_NO_THROW(Ftp.StoreFile(Local("up"), "up"));
}

TEST_P(FtpTransferInBothModes, UploadToAPeerThatQuitsEarlyFails)
{
    WriteFile(Local("big"), SeededBytes(8 << 20, 9));
    Server.CloseDataAfterBytes(100000);
    EXPECT_ANY_THROW(Ftp.StoreFile(Local("big"), "big"));
    EXPECT_FALSE(Log.Events.contains("success 9"));
    EXPECT_EQ(Ftp.DataConnection(), nullptr);
}

TEST_P(FtpTransferInBothModes, MissingLocalFileFailsBeforeAnythingIsSent)
{
    EXPECT_ANY_THROW(Ftp.StoreFile(Local("not there"), "x"));
    EXPECT_EQ(CommandsAfterLogin(), QByteArrayList{});
    EXPECT_EQ(Ftp.DataConnection(), nullptr);
}

TEST(FtpTransferParsing, OnlyAPlainByteCountInBinaryTypeIsAnAnnouncedSize)
{
    const struct {
        const char* line;
        bool textType;
        qint64 size;
    } cases[] = {
        {"150 Opening BINARY mode data connection for f.zip (48213 bytes).", false, 48213},
        {"150 Opening BINARY mode data connection for big.iso (5368709120 Bytes)", false, 5368709120LL},
        {"150 Opening BINARY mode data connection for 'a b.zip'(1234 bytes).", false, 1234},
        {"150 Opening BINARY mode data connection for empty (0 bytes).", false, 0},
        {"150 Opening BINARY mode data connection for x (5 bytes).txt (100 bytes).", false, 100},
        {"150 Opening ASCII mode data connection for notes.txt (120 bytes).", true, -1},
        {"150 2928.7 kbytes to download", false, -1},
        {"150 Opening BINARY mode data connection for f (12,345 bytes).", false, -1},
        {"150 Here come the bytes", false, -1},
        {"125 Data connection already open; Transfer starting.", false, -1},
        {"150 File status okay. About to open data connection.", false, -1},
        {"150 Opening BINARY mode data connection for f (123456789012345678901 bytes).", false, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TFtpClient::AnnouncedByteCount(c.line, c.textType), c.size) << c.line;
}

TEST_P(FtpTransferInBothModes, DownloadThatEndsShortFailsEvenWhenTheServerSaysComplete)
{
    const QByteArray payload(5000, 'a');
    Server.SetData("RETR", payload);
    const struct {
        const char* what;
        QByteArray preliminary;
        int type;  // 1 text, 2 binary
        qint64 expectedSize;
        void (*fault)(ScriptedFtpServer&);
        bool fails;
    } cases[] = {
        {"closed early after announcing its size",
         "150 Opening BINARY mode data connection for f (5000 bytes).", 2, -1,
         [](ScriptedFtpServer& s) { s.CloseDataAfterBytes(1000); }, true},
        {"reset without an announcement", "150 Opening data connection", 2, -1,
         [](ScriptedFtpServer& s) { s.ResetDataAfterBytes(1000); }, true},
        {"closed early, size known from the listing", "150 Opening data connection", 2, 5000,
         [](ScriptedFtpServer& s) { s.CloseDataAfterBytes(1000); }, true},
        {"complete", "150 Opening BINARY mode data connection for f (5000 bytes).", 2, 5000,
         [](ScriptedFtpServer&) {}, false},
        {"closed early, size in kbytes", "150 4.9 kbytes to download", 2, -1,
         [](ScriptedFtpServer& s) { s.CloseDataAfterBytes(1000); }, false},
        {"closed early in text type", "150 Opening ASCII mode data connection for f (5000 bytes).", 1, 5000,
         [](ScriptedFtpServer& s) { s.CloseDataAfterBytes(1000); }, false},
    };
    for (const auto& c : cases) {
        Log.Events.clear();
        Ftp.SetTransferType(c.type);
        Server.QueueReply("RETR", c.preliminary + "\r\n");
        c.fault(Server);
        QFile::remove(Local("f"));
        try {
            Ftp.RetrieveFile("f", Local("f"), c.expectedSize);
            EXPECT_FALSE(c.fails) << c.what << ": passed";
            EXPECT_TRUE(Log.Events.contains("success 8")) << c.what;
        } catch (const ESockError& e) {
            EXPECT_TRUE(c.fails) << c.what << ": " << e.Message().toStdString();
            EXPECT_FALSE(Log.Events.contains("success 8")) << c.what;
        }
        // The final reply was taken: the next command gets its own.
        Ftp.SendCommand("SYST");
        EXPECT_EQ(Ftp.ReplyCode(), 215) << c.what;
    }
}

TEST_P(FtpTransferInBothModes, Final426IsReportedWithTheServersText)
{
    Server.SetData("RETR", "data");
    Server.SetFinalReply("RETR", "");
    // The 426 arrives while the client waits for the final reply.
    OnEachStatus([this](const QString& text) {
        if (text.startsWith("Received ")) Server.SendRaw("426 Failure writing network stream.\r\n");
    });
    try {
        Ftp.RetrieveFile("f", Local("f"));
        FAIL() << "a download the server broke off passed";
    } catch (const FTPException& e) {
        EXPECT_EQ(e.Message(), "426 Failure writing network stream.");
    }
    EXPECT_EQ(Log.Events, QStringList{"failure 8"});
    Ftp.SendCommand("SYST");
    EXPECT_EQ(Ftp.ReplyCode(), 215);
}

TEST_P(FtpTransferInBothModes, FailedDownloadLeavesTheFileItWasToReplace)
{
    const auto ownerReadWriteGroupRead =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup;
    WriteFile(Local("keep"), "old content");
    ASSERT_TRUE(QFile::setPermissions(Local("keep"), ownerReadWriteGroupRead));
    ASSERT_TRUE(QFile::link(Local("keep"), Local("link")));
    const QByteArray payload = SeededBytes(5000, 4);
    Server.SetData("RETR", payload);
    Server.SetReply("RETR", "150 Opening BINARY mode data connection for keep (5000 bytes).\r\n");
    bool abortOnData = false;
    Ftp.OnPacketRecvd = [&](QObject*) {
        if (abortOnData) Ftp.Abort();
    };
    const std::function<void()> failures[] = {
        [&] { Server.CloseDataAfterBytes(1000); },
        [&] { Server.ResetDataAfterBytes(0); },
        [&] { abortOnData = true; },
        [&] { Server.QueueReply("RETR", "550 Not now\r\n"); },
    };
    for (const QString& path : {Local("keep"), Local("link")}) {
        for (const auto& arrange : failures) {
            arrange();
            EXPECT_ANY_THROW(Ftp.RetrieveFile("keep", path));
            abortOnData = false;
            EXPECT_EQ(Read(Local("keep")), "old content") << path.toStdString();
            EXPECT_EQ(FolderEntries(), (QStringList{"keep", "link"}));
        }
        Ftp.RetrieveFile("keep", path);
        EXPECT_EQ(Read(Local("keep")), payload);
        EXPECT_EQ(QFile::permissions(Local("keep")), ownerReadWriteGroupRead);
        EXPECT_EQ(QFileInfo(Local("link")).symLinkTarget(), Local("keep"));
        EXPECT_EQ(FolderEntries(), (QStringList{"keep", "link"}));
        WriteFile(Local("keep"), "old content");
    }
}

TEST_F(FtpTransferTest, DownloadOntoALinkThatLeadsNowhereReplacesTheLinkNotItsTarget)
{
    ASSERT_TRUE(QDir(Local("")).mkdir("elsewhere"));
    const QString outside = Local("elsewhere/planted");
    ASSERT_TRUE(QFile::link(outside, Local("f.bin")));
    Server.SetData("RETR", "new bytes");
    Ftp.RetrieveFile("f.bin", Local("f.bin"));
    EXPECT_FALSE(QFileInfo::exists(outside)) << "nothing is written through the link";
    EXPECT_FALSE(QFileInfo(Local("f.bin")).isSymLink());
    EXPECT_EQ(Read(Local("f.bin")), "new bytes");
}

TEST_F(FtpTransferTest, RemoteNamesThatCannotBeLocalFileNamesAreRefused)
{
    // Names are taken relative to the current folder: a faulty engine only
    // ever writes inside the test's folder.
    ASSERT_TRUE(QDir(Dir.path()).mkpath("work/a"));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Local("work")));
    for (const QByteArray& name :
         {QByteArray("../x"), QByteArray("a/b"), QByteArray("."), QByteArray(".."), QByteArray("a\0b", 3)})
        EXPECT_THROW(Ftp.RetrieveFile(name, QString()), EUnsafeName) << name.constData();
    QDir::setCurrent(previous);
    EXPECT_EQ(CommandsAfterLogin(), QByteArrayList{});
    EXPECT_EQ(FolderEntries(), QStringList{"work"});
}

TEST_F(FtpTransferTest, OnlyTheServerMayUseTheDataConnection)
{
    std::unique_ptr<Stranger> stranger;
    QString listeningOn;
    OnEachStatus([&](const QString& text) {
        if (!text.startsWith("PORT ")) return;
        listeningOn = Ftp.DataConnection()->LocalAddressForPort();
        stranger = std::make_unique<Stranger>(Ftp.DataConnection()->LocalPort());
        ASSERT_TRUE(stranger->Connected);
    });
    const QByteArray payload = SeededBytes(3000, 6);
    Server.SetData("RETR", payload);
    Ftp.RetrieveFile("f", Local("f"));
    EXPECT_EQ(Read(Local("f")), payload);
    EXPECT_EQ(listeningOn, "127,0,0,1");
    EXPECT_TRUE(Log.Status.contains("Refused a data connection from 127.0.0.2"));
    ASSERT_TRUE(stranger);
    EXPECT_EQ(stranger->Received(), "");

    WriteFile(Local("up"), payload);
    Ftp.StoreFile(Local("up"), "up");
    EXPECT_EQ(Server.Uploaded(), payload);
    EXPECT_EQ(stranger->Received(), "");
}

TEST_F(FtpTransferTest, ServerThatNeverConnectsBackTimesOutAndTheSessionGoesOn)
{
    Ftp.TimeOut = 300;
    Server.SetReply("NOOP", "200 NOOP ok\r\n");
    // Once the client has given up (its data connection is gone), the server
    // may still answer the transfer command.
    QByteArray lateAnswer;
    QTimer answerLate;
    QObject::connect(&answerLate, &QTimer::timeout, [&] {
        if (Ftp.DataConnection() || lateAnswer.isEmpty()) return;
        Server.SendRaw(std::exchange(lateAnswer, {}));
    });
    answerLate.start(5);
    for (const QByteArray& answer : {QByteArray(), QByteArray("425 Can't open data connection.\r\n")}) {
        Server.SkipNextConnectBack();
        lateAnswer = answer;
        try {
            Ftp.RetrieveFile("f", Local("f"));
            FAIL() << "the wait did not end";
        } catch (const ETimeOutError& e) {
            EXPECT_EQ(e.Message(), "The server did not connect back within 300 ms");
        }
        EXPECT_TRUE(Ftp.Connected());
        Ftp.SendCommand("NOOP");
        EXPECT_EQ(Ftp.LastReply(), "200 NOOP ok\r\n");
    }
    EXPECT_TRUE(Log.Status.contains("425 Can't open data connection."));
}

}  // namespace
