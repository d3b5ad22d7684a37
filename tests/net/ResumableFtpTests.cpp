// Resumed downloads and uploads: "REST" slipped in between "PORT" and the
// transfer command, and the temporary file merged at the offset.
#include "support/EngineRecorder.h"
#include "support/IsolatedTempFolder.h"
#include "support/ScriptedFtpServer.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using testfiles::Read;
using testfiles::SeededBytes;

void WriteFile(const QString& path, const QByteArray& bytes)
{
    ASSERT_TRUE(testfiles::Write(path, bytes)) << path.toStdString();
}

class ResumableFtpTest : public ::testing::Test {
protected:
    ResumableFtpTest() { SetUpTestClient(Ftp, Server.Port()); }
    void SetUp() override
    {
        ASSERT_TRUE(Temp.IsValid());
        ASSERT_TRUE(Ftp.TemporaryDirectory().startsWith(QFileInfo(Temp.Path()).canonicalFilePath() + "/"));
        Ftp.Connect();
        Log.Events.clear();
    }
    void TearDown() override { EXPECT_FALSE(Log.WatchdogFired()); }
    QString Local(const QString& name) const { return Dir.filePath(name); }
    // After "USER", "PASS" and "FEAT".
    QByteArrayList CommandsAfterLogin() const { return Server.MaskedCommands().mid(3); }

    QTemporaryDir Dir;
    IsolatedTempFolder Temp;
    ScriptedFtpServer Server;
    TResumableFtp Ftp;
    EngineRecorder Log{Ftp};
};

TEST_F(ResumableFtpTest, ResumedDownloadSendsRestBetweenPortAndRetrAndAppendsAtTheOffset)
{
    const QByteArray remote = SeededBytes(3000, 1);
    Server.SetData("RETR", remote);
    // Bytes past the offset in the local file are overwritten by what arrives.
    WriteFile(Local("part"), remote.left(1000) + "garbage");
    Ftp.ResumeDownload(Local("part"), "file.bin", 1000);

    EXPECT_EQ(CommandsAfterLogin(), (QByteArrayList{"PORT *", "REST 1000", "RETR file.bin"}));
    EXPECT_EQ(Read(Local("part")), remote);
    EXPECT_FALSE(QFile::exists(Ftp.TempFileName));
    EXPECT_EQ(Ftp.TempFileName, Ftp.TemporaryDirectory() + "file.bin");
    EXPECT_FALSE(Ftp.ResumeActive);
    EXPECT_FALSE(Ftp.RestPending);
    EXPECT_EQ(Log.Events, (QStringList{"success 14", "success 8"}));
}

TEST_F(ResumableFtpTest, LocalFileInTheTemporaryFolderIsNotOverwrittenByTheTransfer)
{
    const QByteArray remote = SeededBytes(2000, 2);
    Server.SetData("RETR", remote);
    const QString name = QStringLiteral("resume.bin");
    const QString local = Ftp.TemporaryDirectory() + name;
    WriteFile(local, remote.left(500));
    Ftp.ResumeDownload(local, name.toUtf8(), 500);
    EXPECT_EQ(Ftp.TempFileName, local + "_Tmp");
    EXPECT_EQ(Read(local), remote);

    // The same folder reached through a link is the same place.
    const QString link = Local("temp-link");
    ASSERT_TRUE(QFile::link(Ftp.TemporaryDirectory(), link));
    WriteFile(local, remote.left(700));
    Ftp.ResumeDownload(link + "/" + name, name.toUtf8(), 700);
    EXPECT_EQ(Read(local), remote);

    // Uploads copy the rest through the same temporary folder.
    Ftp.ResumeUpload(local, name.toUtf8(), 1500);
    EXPECT_EQ(Server.Uploaded(), remote.mid(1500));
    EXPECT_EQ(Read(local), remote);
    QFile::remove(local);
    QFile::remove(link);
}

TEST_F(ResumableFtpTest, LeftOverTemporaryFileIsNotMergedIntoTheLocalFile)
{
    // What an earlier run left behind is not what this transfer received.
    const QString name = QStringLiteral("stale.bin");
    const QString stale = Ftp.TemporaryDirectory() + name;
    WriteFile(Local("part"), "abc");
    Log.HandleFailures = true;
    WriteFile(stale, "STALE");
    Server.QueueReply("RETR", "550 Not now\r\n");
    Ftp.ResumeDownload(Local("part"), name.toUtf8(), 3);
    EXPECT_EQ(Read(Local("part")), "abc");

    WriteFile(stale, "STALE");
    Server.SetReply("REST", "502 No\r\n");
    EXPECT_THROW(Ftp.ResumeDownload(Local("part"), name.toUtf8(), 3), EResumeError);
    EXPECT_EQ(Read(Local("part")), "abc");
    QFile::remove(stale);
}

TEST_F(ResumableFtpTest, ResumedUploadSendsOnlyTheRest)
{
    const QByteArray local = SeededBytes(3000, 3);
    WriteFile(Local("up.bin"), local);
    Ftp.ResumeUpload(Local("up.bin"), "up.bin", 1000);
    EXPECT_EQ(CommandsAfterLogin(), (QByteArrayList{"PORT *", "REST 1000", "STOR up.bin"}));
    EXPECT_EQ(Server.Uploaded(), local.mid(1000));
    EXPECT_FALSE(QFile::exists(Ftp.TempFileName));
    EXPECT_FALSE(Ftp.ResumeActive);
}

TEST_F(ResumableFtpTest, UploadOffsetAtTheEndOfTheFileFailsBeforeAnythingIsSent)
{
    WriteFile(Local("small"), "12345");
    try {
        Ftp.ResumeUpload(Local("small"), "small", 5);
        FAIL();
    } catch (const EResumeError& e) {
        EXPECT_EQ(e.Message(), "Resuming failed");
    }
    EXPECT_EQ(CommandsAfterLogin(), QByteArrayList{});
    EXPECT_FALSE(Ftp.ResumeActive);
}

TEST_F(ResumableFtpTest, RefusedRestStopsBeforeTheTransferCommand)
{
    Log.HandleFailures = true;
    Server.SetReply("REST", "502 REST not implemented\r\n");
    WriteFile(Local("part"), "abc");
    EXPECT_THROW(Ftp.ResumeDownload(Local("part"), "f", 3), EResumeError);
    EXPECT_EQ(CommandsAfterLogin(), (QByteArrayList{"PORT *", "REST 3"}));
    EXPECT_EQ(Log.Events, (QStringList{"unsupported 14", "failure 14"}));
    EXPECT_EQ(Read(Local("part")), "abc");
    EXPECT_EQ(Ftp.DataConnection(), nullptr);
    EXPECT_FALSE(Ftp.RestPending);

    // Without a handler that takes it, the refusal itself is raised.
    Log.HandleFailures = false;
    EXPECT_THROW(Ftp.ResumeDownload(Local("part"), "f", 3), FTPException);
}

TEST_F(ResumableFtpTest, RefusedPortLeavesNoRestPendingForTheNextTransfer)
{
    Log.HandleFailures = true;
    Server.QueueReply("PORT", "500 PORT refused\r\n");
    Server.QueueReply("RETR", "550 Not now\r\n");
    WriteFile(Local("part"), "abc");
    Ftp.ResumeDownload(Local("part"), "f", 3);
    EXPECT_FALSE(Ftp.RestPending);
    // A plain download afterwards sends no "REST".
    Server.SetData("RETR", "whole");
    Ftp.RetrieveFile("g", Local("g"));
    EXPECT_EQ(Server.Commands().count("REST 3"), 1);
    EXPECT_EQ(Server.MaskedCommands().mid(Server.Commands().size() - 2),
              (QByteArrayList{"PORT *", "RETR g"}));
}

TEST_F(ResumableFtpTest, OffsetsBeyondFourGigabytesAreSentExactly)
{
    Log.HandleFailures = true;
    Server.SetReply("REST", "502 No\r\n");
    const qint64 offset = (5LL << 30) + 7;
    {
        // A sparse local part: it must hold the first offset bytes.
        QFile part(Local("part"));
        ASSERT_TRUE(part.open(QIODevice::WriteOnly));
        ASSERT_TRUE(part.resize(offset));
    }
    EXPECT_THROW(Ftp.ResumeDownload(Local("part"), "huge", offset), EResumeError);
    EXPECT_TRUE(Server.Commands().contains("REST 5368709127"));
}

TEST(ResumableFtpLevels, ReportLevelBelowTwoIsIgnored)
{
    TResumableFtp ftp;
    ftp.SetReportLevel(1);
    EXPECT_EQ(ftp.ReportLevel(), 0);
    ftp.SetReportLevel(5);
    EXPECT_EQ(ftp.ReportLevel(), 5);
    ftp.SetReportLevel(0);
    EXPECT_EQ(ftp.ReportLevel(), 5);
}

TEST_F(ResumableFtpTest, RemoteNamesThatWouldLeaveTheTemporaryFolderAreRefused)
{
    // The folder of the client's own lies in the system's temporary folder.
    const QString victim = Temp.Path() + "/victim.txt";
    WriteFile(victim, "precious");
    WriteFile(Local("part"), "abc");
    for (const QByteArray& name : {QByteArray("../victim.txt"), QByteArray("a/b"), QByteArray("."),
                                   QByteArray(".."), QByteArray("a\0b", 3)}) {
        EXPECT_THROW(Ftp.ResumeDownload(Local("part"), name, 3), EUnsafeName) << name.constData();
        EXPECT_THROW(Ftp.ResumeUpload(Local("part"), name, 1), EUnsafeName) << name.constData();
        EXPECT_FALSE(Ftp.ResumeActive);
    }
    EXPECT_EQ(Read(victim), "precious");
    EXPECT_EQ(Read(Local("part")), "abc");
    EXPECT_EQ(CommandsAfterLogin(), QByteArrayList{});
}

TEST_F(ResumableFtpTest, TemporaryFilesLiveInAFolderOfTheClientsOwn)
{
    const QString own = Ftp.TemporaryDirectory();
    EXPECT_NE(own, QFileInfo(Temp.Path()).canonicalFilePath() + "/");
    EXPECT_EQ(QFile::permissions(own), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                           QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
    TResumableFtp other;
    EXPECT_NE(other.TemporaryDirectory(), own);
}

TEST_F(ResumableFtpTest, ResumeWithoutTheLocalPartFailsBeforeAnythingIsSent)
{
    EXPECT_THROW(Ftp.ResumeDownload(Local("missing"), "f", 3), Exception);
    EXPECT_FALSE(QFile::exists(Local("missing")));
    // A shorter part would leave a gap of zeros before the offset.
    WriteFile(Local("short"), "ab");
    EXPECT_THROW(Ftp.ResumeDownload(Local("short"), "f", 3), EResumeError);
    EXPECT_EQ(Read(Local("short")), "ab");
    EXPECT_EQ(CommandsAfterLogin(), QByteArrayList{});
    EXPECT_FALSE(Ftp.ResumeActive);
}

TEST_F(ResumableFtpTest, ResumingWorksAtTheDefaultReportLevel)
{
    Ftp.Disconnect();     // the scripted server serves one session at a time
    TResumableFtp quiet;  // report level 0: no status text is ever produced
    quiet.Host = QStringLiteral("127.0.0.1");
    quiet.Port = Server.Port();
    quiet.UserID = "alice";
    quiet.Password = "pw";
    quiet.PassiveMode = false;
    EngineRecorder log{quiet};
    quiet.Connect();
    const int before = Server.Commands().size();
    const QByteArray remote = SeededBytes(3000, 5);
    Server.SetData("RETR", remote);
    WriteFile(Local("part"), remote.left(1000));
    quiet.ResumeDownload(Local("part"), "f", 1000);
    EXPECT_EQ(Read(Local("part")), remote);
    quiet.ResumeUpload(Local("part"), "f", 2000);
    EXPECT_EQ(Server.Uploaded(), remote.mid(2000));
    EXPECT_EQ(Server.MaskedCommands().mid(before),
              (QByteArrayList{"PORT *", "REST 1000", "RETR f", "PORT *", "REST 2000", "STOR f"}));
    EXPECT_EQ(log.Status, QStringList{});
    EXPECT_FALSE(log.WatchdogFired());
}

TEST_F(ResumableFtpTest, MultiLinePortReplyIsReadWholeBeforeRest)
{
    Server.SetReply("PORT", "200-PORT command successful.\r\n200-Consider using PASV.\r\n200 OK\r\n");
    const QByteArray remote = SeededBytes(2000, 6);
    Server.SetData("RETR", remote);
    WriteFile(Local("part"), remote.left(500));
    Log.Status.clear();
    Ftp.ResumeDownload(Local("part"), "f", 500);
    EXPECT_EQ(Read(Local("part")), remote);
    EXPECT_EQ(CommandsAfterLogin(), (QByteArrayList{"PORT *", "REST 500", "RETR f"}));
    EXPECT_EQ(Log.Status.mid(1, 6), (QStringList{"200-PORT command successful.", "200-Consider using PASV.",
                                                 "200 OK", "REST 500", "350 Restarting", "RETR f"}));
}

TEST_F(ResumableFtpTest, ResumedDownloadThatEndsShortFails)
{
    const QByteArray remote = SeededBytes(3000, 7);
    Server.SetData("RETR", remote);
    // Servers announce the whole file or only the rest; both are fine.
    const struct {
        const char* announcement;
        qint64 cutAfter;   // -1: the whole rest arrives
        qint64 wholeSize;  // as a listing gave it; -1: not known
        bool fails;
    } cases[] = {
        {"(3000 bytes)", -1, -1, false}, {"(2000 bytes)", -1, 3000, false},
        {"(3000 bytes)", 500, -1, true}, {"(2000 bytes)", 1500, 3000, true},
        {"", 500, 3000, true},
    };
    for (const auto& c : cases) {
        const std::string what = std::string(c.announcement) + " cut after " + std::to_string(c.cutAfter);
        Server.QueueReply(
            "RETR", QByteArray("150 Opening BINARY mode data connection for f ") + c.announcement + "\r\n");
        if (c.cutAfter >= 0) Server.CloseDataAfterBytes(c.cutAfter);
        WriteFile(Local("part"), remote.left(1000));
        bool failed = false;
        try {
            Ftp.ResumeDownload(Local("part"), "f", 1000, c.wholeSize);
        } catch (const ESockError&) {
            failed = true;
        }
        EXPECT_EQ(failed, c.fails) << what;
        // What arrived stays after the offset, for the next attempt.
        const qint64 arrived = c.cutAfter >= 0 ? c.cutAfter : 2000;
        EXPECT_EQ(Read(Local("part")), remote.left(1000 + arrived)) << what;
    }
}

}  // namespace
