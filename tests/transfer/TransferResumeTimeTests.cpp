// The resume offer against a real FTP server: only a destination written
// after its source can be what an interrupted transfer left, and an "MLSD"
// listing tells that to the second where "LIST" gives old files only a day.
#include "TransferFixture.h"
#include "support/PyFtpdServer.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>

namespace {

class TransferResumeTime : public TransferFixture {
protected:
    void SetUp() override { ASSERT_TRUE(Server.Start()) << Server.ErrorText().toStdString(); }
    static void Touch(const QString& path, const QDateTime& when)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
    }

    PyFtpdServer Server;
};

}  // namespace

TEST_F(TransferResumeTime, OnlyADestinationWrittenAfterItsSourceIsOfferedForResume)
{
    // Both files of a day over a year ago, two hours apart: "LIST" shows
    // that day without a time, "MLSD" the time itself.
    const QDateTime morning(QDate::currentDate().addDays(-400), QTime(10, 0));
    const QDateTime noon = morning.addSecs(2 * 3600);
    const QString offer = "Transferring the file \"f.bin\" has possibly been interrupted";
    const QString replace = "Replace file \"f.bin\"?";
    const struct {
        const char* Why;
        bool Upload;
        bool ForceList;
        QString Question;
    } cases[] = {
        // The server's file is newer than the local part: a later version, not its source.
        {"download, MLSD", false, false, replace},
        {"download, LIST", false, true, offer},  // seen as older: the day alone
        // The server's part is newer than the local file: what an upload left.
        {"upload, MLSD", true, false, offer},
        {"upload, LIST", true, true, replace},
    };
    const QByteArray whole = testfiles::SeededBytes(100000, 3);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Why);
        const QString remote = QDir(Server.RootPath()).filePath("f.bin");
        ASSERT_TRUE(testfiles::Write(remote, c.Upload ? whole.left(40000) : whole));
        ASSERT_TRUE(testfiles::Write(LocalPath("f.bin"), c.Upload ? whole : whole.left(40000)));
        Touch(remote, noon);
        Touch(LocalPath("f.bin"), morning);
        Ftp.ForceList = c.ForceList;
        if (!Ftp.Connected()) Connect(Server.Port(), Server.User(), Server.Password());
        ASSERT_TRUE(RemoteView.RefreshList());
        LocalView.Refresh();
        Dialogs.Asked.clear();
        // No to each: a declined resume asks about replacing next.
        const size_t questions = c.Question == offer ? 2 : 1;
        for (size_t i = 0; i < questions; ++i)
            Dialogs.Answer(mrNo);
        if (c.Upload)
            Transfer.UploadFiles(LocalSelection({"f.bin"}), Local.path());
        else
            Transfer.DownloadFiles(RemoteSelection({"f.bin"}), Local.path());
        ASSERT_EQ(Dialogs.Asked.size(), questions) << Host.Log.join('\n').toStdString();
        EXPECT_TRUE(Dialogs.Asked.front().Text.startsWith(c.Question))
            << Dialogs.Asked.front().Text.toStdString();
    }
}
