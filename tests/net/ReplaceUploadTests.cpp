// An upload over an existing remote file goes to a temporary name and takes
// the file's name only once complete; against the scripted server.
#include "support/EngineRecorder.h"
#include "support/ScriptedFtpServer.h"
#include "support/TestFiles.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using testfiles::SeededBytes;

TEST(TemporaryUploadName, IsHiddenBesideTheFileAndKeepsNamesShort)
{
    const QByteArray longAscii(100, 'a');
    // 63 ASCII bytes, then a two-byte character that straddles the limit.
    const QByteArray straddling = QByteArray(63, 'b') + "\xc3\xa9" + "tail";
    const struct {
        QByteArray remote;
        quint64 random;
        QByteArray expected;
    } cases[] = {
        {"report.pdf", 0xfedcba9876543210ull, ".report.pdf.qftp-part-fedcba9876543210"},
        {"x", 0x2a, ".x.qftp-part-000000000000002a"},  // always 16 digits
        {"sub dir/a.txt", 1, "sub dir/.a.txt.qftp-part-0000000000000001"},
        {longAscii, 1, "." + QByteArray(64, 'a') + ".qftp-part-0000000000000001"},
        {straddling, 1, "." + QByteArray(63, 'b') + ".qftp-part-0000000000000001"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TFtpClient::TemporaryUploadName(c.remote, c.random), c.expected) << c.remote.constData();
}

// The commands after the login and "FEAT", each temporary name as "TMP"; all of them
// must be one and the same name, hidden in the same folder.
QByteArrayList CommandsWithTemporaryName(const ScriptedFtpServer& server)
{
    static const QRegularExpression temp(QStringLiteral("\\.f\\.qftp-part-[0-9a-f]{16}$"));
    QByteArrayList result;
    QString seen;
    for (const QByteArray& line : server.MaskedCommands().mid(3)) {
        QString text = QString::fromLatin1(line);
        const auto match = temp.match(text);
        if (match.hasMatch()) {
            if (seen.isEmpty()) seen = match.captured();
            EXPECT_EQ(match.captured(), seen) << "a second temporary name";
            text.replace(match.capturedStart(), match.capturedLength(), QStringLiteral("TMP"));
        }
        result << text.toLatin1();
    }
    return result;
}

// A logged-in client of a fresh scripted server.
struct Session {
    Session()
    {
        SetUpTestClient(Ftp, Server.Port());
        Ftp.Connect();
        EXPECT_TRUE(Ftp.Connected());
        Log.Events.clear();
    }
    ~Session() { EXPECT_FALSE(Log.WatchdogFired()); }
    QByteArrayList Commands() const { return CommandsWithTemporaryName(Server); }
    void ExpectReadyForMore()
    {
        Ftp.SendCommand("SITE idle");
        EXPECT_EQ(Server.Commands().last(), "SITE idle");
        EXPECT_EQ(Ftp.ReplyCode(), 250);
    }

    ScriptedFtpServer Server;
    TFtpClient Ftp;
    EngineRecorder Log{Ftp};
};

class ReplaceUploadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(testfiles::Write(Dir.filePath("f"), Payload)); }

    const QByteArray Payload = SeededBytes(300000, 7);
    QTemporaryDir Dir;
};

// Each case: how the server answers, then what the client sends and the one
// outcome the caller hears (failures are handled, so nothing is raised).
TEST_F(ReplaceUploadTest, CommandSequenceAndOneOutcome)
{
    const QByteArrayList upload{"PORT *", "STOR TMP"};
    const struct {
        const char* what;
        std::function<void(ScriptedFtpServer&)> script;
        QByteArrayList after;  // the commands after upload
        QString outcome;
        QByteArray reply;  // LastReply when the caller hears the outcome
    } cases[] = {
        {"plain", [](ScriptedFtpServer&) {}, {"RNFR TMP", "RNTO f"}, "success 9", "250 OK\r\n"},
        {"no rename onto an existing name",
         [](ScriptedFtpServer& s) { s.QueueReply("RNTO", "553 File exists\r\n"); },
         {"RNFR TMP", "RNTO f", "DELE f", "RNFR TMP", "RNTO f"},
         "success 9",
         "250 OK\r\n"},
        {"server keeps nothing",
         [](ScriptedFtpServer& s) { s.QueueFinalReply("STOR", "552 Exceeded storage allocation\r\n"); },
         {"DELE TMP"},
         "failure 9",
         "552 Exceeded storage allocation\r\n"},
        {"rename source refused",
         [](ScriptedFtpServer& s) { s.QueueReply("RNFR", "550 No such file\r\n"); },
         {"RNFR TMP", "DELE TMP"},
         "failure 9",
         "550 No such file\r\n"},
        // A 4xx is no refusal to rename onto the name: the old file stays.
        {"rename refused for now",
         [](ScriptedFtpServer& s) { s.QueueReply("RNTO", "450 Busy\r\n"); },
         {"RNFR TMP", "RNTO f", "DELE TMP"},
         "failure 9",
         "450 Busy\r\n"},
        {"old file cannot be deleted",
         [](ScriptedFtpServer& s) {
             s.QueueReply("RNTO", "553 File exists\r\n");
             s.QueueReply("DELE", "550 Permission denied\r\n");
         },
         {"RNFR TMP", "RNTO f", "DELE f", "DELE TMP"},
         "failure 9",
         "550 Permission denied\r\n"},
        // Once the old file is gone the upload is the only copy: it stays.
        {"rename fails after the old file went",
         [](ScriptedFtpServer& s) {
             s.QueueReply("RNTO", "553 File exists\r\n");
             s.QueueReply("RNTO", "553 Still no\r\n");
         },
         {"RNFR TMP", "RNTO f", "DELE f", "RNFR TMP", "RNTO f"},
         "failure 9",
         "553 Still no\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Session s;
        s.Log.HandleFailures = true;
        c.script(s.Server);
        s.Ftp.StoreFileReplacing(Dir.filePath("f"), "f");
        EXPECT_EQ(s.Commands(), upload + c.after);
        EXPECT_EQ(s.Log.Events, QStringList{c.outcome});
        EXPECT_EQ(s.Ftp.LastReply(), c.reply);
        EXPECT_EQ(s.Server.Uploaded(), Payload);
        s.ExpectReadyForMore();
    }
}

TEST_F(ReplaceUploadTest, UnhandledFailureRaisesTheUploadsReplyAfterTheCleanUp)
{
    Session s;
    s.Server.QueueFinalReply("STOR", "552 Exceeded storage allocation\r\n");
    try {
        s.Ftp.StoreFileReplacing(Dir.filePath("f"), "f");
        FAIL() << "a failed upload passed";
    } catch (const FTPException& e) {
        EXPECT_EQ(e.ReplyLine(), "552 Exceeded storage allocation\r\n");
    }
    EXPECT_EQ(s.Commands(), (QByteArrayList{"PORT *", "STOR TMP", "DELE TMP"}));
    EXPECT_EQ(s.Log.Events, QStringList{"failure 9"});
    // The clean-up's protocol lines are in the log all the same.
    EXPECT_EQ(s.Log.Status.filter(QRegularExpression(QStringLiteral("^DELE \\.f\\.qftp-part-"))).size(), 1);
}

TEST_F(ReplaceUploadTest, AbortDuringTheUploadRemovesOnlyTheTemporaryFile)
{
    ASSERT_TRUE(testfiles::Write(Dir.filePath("f"), SeededBytes(8 << 20, 9)));
    Session s;
    s.Ftp.OnPacketSent = [&s](QObject*) {
        if (s.Ftp.DataSentBytes() >= 100000) s.Ftp.Abort();
    };
    EXPECT_THROW(s.Ftp.StoreFileReplacing(Dir.filePath("f"), "f"), EAbortError);
    s.Ftp.OnPacketSent = nullptr;
    EXPECT_EQ(s.Commands(), (QByteArrayList{"PORT *", "STOR TMP", "DELE TMP"}));
    EXPECT_EQ(s.Log.Events, QStringList{});
    s.ExpectReadyForMore();
}

TEST_F(ReplaceUploadTest, AbortWhileTheServerSitsOnTheRenameEndsTheWait)
{
    Session s;
    s.Server.IgnoreNext("RNTO");
    // The abort comes while the client waits for the answer to "RNTO".
    s.Ftp.OnStatus = [&s](QObject*, const QString& text) {
        s.Log.Status << text;
        if (text == "RNTO f") QTimer::singleShot(0, [&s] { s.Ftp.Abort(); });
    };
    EXPECT_THROW(s.Ftp.StoreFileReplacing(Dir.filePath("f"), "f"), EAbortError);
    EXPECT_EQ(s.Commands(), (QByteArrayList{"PORT *", "STOR TMP", "RNFR TMP", "RNTO f", "DELE TMP"}));
    EXPECT_EQ(s.Log.Events, QStringList{});
    s.ExpectReadyForMore();
}

}  // namespace
