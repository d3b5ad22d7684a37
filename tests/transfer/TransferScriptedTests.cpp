// The transfer engine against a scripted server: links that lead back into
// the walk or to files, and a connection that drops in the middle of a job.
#include "TransferFixture.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>

namespace {

class TransferScripted : public TransferFixture {
protected:
    void SetUp() override
    {
        Server.SetData("RETR", Payload);
        Connect(Server.Port(), "alice", "s3cret");
    }
    void AddFile(const QString& path) { Site.AddFile(path, quint64(Payload.size())); }

    const QByteArray Payload = testfiles::SeededBytes(300000, 9);
    ScriptedFtpServer Server;
    TRemoteSite Site{Server, Ftp};
};

TEST_F(TransferScripted, LinksBackIntoTheWalkAreSkippedAndLinksToFilesAreFetched)
{
    Site.AddDirectory("/d");
    AddFile("/d/f1");
    Site.AddLink("/d/up", "/d");   // back to the folder being walked
    Site.AddLink("/d/root", "/");  // back to the top of the walk
    Site.AddLink("/d/tofile", "/d/f1");
    Site.Refused.insert("/d/tofile");  // "CWD" answers 550: it is a file
    RemoteView.RefreshList();
    Host.Mode = tmBinary;
    Transfer.DownloadFiles(RemoteSelection({"d"}), Local.path());
    EXPECT_EQ(TransferredNames(), (QStringList{"f1", "tofile"}));
    EXPECT_EQ(testfiles::Read(LocalPath("d/f1")), Payload);
    EXPECT_EQ(testfiles::Read(LocalPath("d/tofile")), Payload);
    EXPECT_FALSE(QFileInfo::exists(LocalPath("d/up")));
    EXPECT_FALSE(QFileInfo::exists(LocalPath("d/root")));
    EXPECT_EQ(Host.Matching("E \"").size(), 2)
        << Host.Log.join('\n').toStdString() << Server.MaskedCommands().join(' ').toStdString();
    EXPECT_EQ(Host.Count("E File transfer aborted"), 0);
    EXPECT_EQ(RemoteView.Directory(), "/");
}

TEST_F(TransferScripted, ConnectionDroppedDuringTheWalkEndsTheJobOnceWithoutBoxes)
{
    for (const QString dir : {"/d1", "/d2", "/d3"}) {
        Site.AddDirectory(dir);
        AddFile(dir + "/f");
    }
    RemoteView.RefreshList();
    Server.CloseControlOn("CDUP");  // on the way out of the first folder
    Transfer.DownloadFiles(RemoteSelection({"d1", "d2", "d3"}), Local.path());
    EXPECT_EQ(Host.Count("E File transfer aborted"), 1) << Host.Log.join('\n').toStdString();
    EXPECT_TRUE(Dialogs.Asked.empty());
    EXPECT_EQ(Host.Finished, QList<bool>{false});
    EXPECT_EQ(testfiles::Read(LocalPath("d1/f")), Payload);
    EXPECT_FALSE(Server.Commands().contains("CWD d2"));
    EXPECT_FALSE(Transfer.Active());
}

TEST_F(TransferScripted, AFolderThatCannotBeListedEndsTheJobInEitherDirection)
{
    // An empty view after a failed listing is no empty folder: a download
    // would report success with nothing fetched, and an upload would send
    // each file straight over one that may be there, without a question.
    Site.AddDirectory("/d");
    AddFile("/d/f.bin");
    Site.Unlistable.insert("/d");
    RemoteView.RefreshList();
    ASSERT_TRUE(QDir(Local.path()).mkpath("d"));
    ASSERT_TRUE(testfiles::Write(LocalPath("d/f.bin"), "new"));
    LocalView.Refresh();
    for (const bool upload : {false, true}) {
        SCOPED_TRACE(upload ? "upload" : "download");
        Host.Log.clear();
        Host.Finished.clear();
        if (upload)
            Transfer.UploadFiles(LocalSelection({"d"}), Local.path());
        else
            Transfer.DownloadFiles(RemoteSelection({"d"}), Local.path());
        EXPECT_EQ(Host.Count("E File transfer aborted"), 1) << Host.Log.join('\n').toStdString();
        EXPECT_EQ(Host.Finished, QList<bool>{upload});
        EXPECT_FALSE(Server.Commands().contains("RETR f.bin"));
        EXPECT_FALSE(Server.Commands().contains("STOR f.bin"));
        EXPECT_EQ(RemoteView.Directory(), "/d") << "the walk stops where it failed";
        RemoteView.OpenDirectory("/");
    }
}

TEST_F(TransferScripted, CancelWhileTheUploadWaitsForTheServerEndsTheJobOnceTheClientIsIdle)
{
    ASSERT_TRUE(testfiles::Write(LocalPath("new.bin"), Payload));
    LocalView.Refresh();
    // As the main window does: the job's end refreshes the receiving pane,
    // which sends commands of its own; they must wait for the upload's end.
    bool clientBusyAtFinish = true;
    Host.OnFinished = [&](bool) {
        clientBusyAtFinish = Transfer.FileCommandIssued() || Ftp.DataConnection();
        RemoteView.RefreshList();
    };
    Server.SkipNextConnectBack();
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        if (!Server.Commands().contains("STOR new.bin")) return;
        cancel.stop();
        Transfer.CancelTransfer(false);
    });
    cancel.start(1);
    Transfer.UploadFiles(LocalSelection({"new.bin"}), Local.path());

    EXPECT_FALSE(cancel.isActive()) << "the upload ended before it was cancelled";
    EXPECT_EQ(Host.Finished, QList<bool>{true});
    EXPECT_FALSE(clientBusyAtFinish);
    EXPECT_GE(Host.Count("E File transfer aborted"), 1);
    EXPECT_TRUE(RemoteView.Listed()) << "the refresh after the job got its own, whole answer";
}

}  // namespace
