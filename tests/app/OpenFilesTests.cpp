// Opening and showing remote files from the main window against a real FTP
// server: private temporary copies, the text viewer, what becomes of a copy
// the user changed, links to files, and drags out to the desktop.
#include "MainWindowOnSite.h"
#include "app/StatusLog.h"
#include "app/TextViewer.h"
#include "app/frmMain.h"
#include "support/IsolatedTempFolder.h"
#include "support/PyFtpdServer.h"
#include "support/SelectRows.h"
#include "support/TestFiles.h"
#include "support/dialogs/ScriptedDialogs.h"
#include "views/framework/FileListModel.h"
#include "views/local/FileListView.h"
#include "views/remote/FtpFileListView.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class OpenFiles : public MainWindowOnSite {
protected:
    void SetUp() override
    {
        MainWindowOnSite::SetUp();
        ASSERT_TRUE(KeepDir.isValid());
        Main.TempFiles.KeepFolder = KeepDir.path();
        // The file is read when it is opened: it goes with the session.
        Main.OpenWithDesktop = [this](const QString& path) {
            Opened << path;
            OpenedBytes << testfiles::Read(path);
            return true;
        };
    }
    int Row(const QString& name) const { return Main.RemoteDir->FindItem(name, true); }
    // Enter on the one selected item, as the user opens it.
    void PressEnterOn(TCustomFileListView& view, int row)
    {
        ASSERT_GE(row, 0);
        SelectRows(view, {row});
        QTest::keyClick(&view, Qt::Key_Return);
    }
    TTextViewer* Viewer() const { return Main.findChild<TTextViewer*>(); }

    QTemporaryDir KeepDir;
    QStringList Opened;
    QByteArrayList OpenedBytes;
};

TEST_F(OpenFiles, RemoteFilesOpenByteExactFromPrivateFoldersThatGoWithTheSession)
{
    const QByteArray first = testfiles::SeededBytes(200000, 13);
    const QByteArray second = testfiles::SeededBytes(5000, 14);
    ASSERT_TRUE(QDir(Server.RootPath()).mkpath("a") && QDir(Server.RootPath()).mkpath("b"));
    ASSERT_TRUE(testfiles::Write(Remote("a/same.bin"), first));
    ASSERT_TRUE(testfiles::Write(Remote("b/same.bin"), second));
    Connect();
    for (const char* folder : {"/a", "/b"}) {
        Main.RemoteDir->SetDirectory(QLatin1String(folder));
        PressEnterOn(*Main.RemoteDir, Row("same.bin"));
    }

    ASSERT_EQ(Opened.size(), 2) << Log().toStdString();
    EXPECT_EQ(OpenedBytes, (QByteArrayList{first, second}));
    EXPECT_NE(Opened[0], Opened[1]) << "one name from two folders must not share a copy";
    const QString root = Main.TempFiles.Root();
    EXPECT_TRUE(root.startsWith(Temp.Path() + '/'));
    EXPECT_EQ(QFileInfo(root).permissions() & 0x0077, 0) << "nobody else may reach the copies";
    for (const QString& path : Opened) {
        EXPECT_EQ(QFileInfo(QFileInfo(path).path()).path(), root);
        EXPECT_EQ(QFileInfo(QFileInfo(path).path()).permissions() & 0x0077, 0);
    }

    Main.actDisconnectExecute();
    EXPECT_EQ(Main.ConnectionState, csNotConnected);
    EXPECT_FALSE(QFileInfo::exists(root)) << "the copies go at every disconnect";
    EXPECT_TRUE(Dialogs.Asked.empty()) << "unchanged copies go without a question";
}

TEST_F(OpenFiles, ShowFetchesInTextModeIntoTheViewerAndRestoresTheMode)
{
    // CR LF on the wire becomes LF in text mode only; the last word is
    // Windows-1252, which is no UTF-8.
    ASSERT_TRUE(testfiles::Write(Remote("notes.dat"), "one\r\ntwo caf\xe9\r\n"));
    Connect();
    for (const TTransferMode before : {tmBinary, tmAutomatic}) {
        SCOPED_TRACE(int(before));
        Main.SetTransferMode(before);
        Main.ShowRemoteItem(Row("notes.dat"));

        ASSERT_FALSE(Main.TempFiles.Files().isEmpty()) << Log().toStdString();
        EXPECT_EQ(testfiles::Read(Main.TempFiles.Files().last().Path), "one\ntwo caf\xe9\n");
        EXPECT_EQ(Main.TransferMode, before);
        const char* checked = before == tmBinary ? "actTransferBinary" : "actTransferAuto";
        EXPECT_TRUE(Main.Actions[QLatin1String(checked)]->isChecked());
        TTextViewer* viewer = Viewer();
        ASSERT_NE(viewer, nullptr);
        EXPECT_EQ(viewer->memText->toPlainText(), QStringLiteral("one\ntwo caf\u00e9\n"));
        EXPECT_TRUE(viewer->windowTitle().startsWith("notes.dat"));
        delete viewer;
    }
    EXPECT_TRUE(Opened.isEmpty()) << "shown files stay in the program";
}

TEST_F(OpenFiles, ACopyChangedSinceItsDownloadIsUploadedKeptOrDiscardedAsAnswered)
{
    // The change starts as the old file did: a grown binary file must not
    // pass for an interrupted upload of it and be resumed.
    const QByteArray changed = "old\nchanged by the user\n";
    const struct {
        const char* Case;
        const char* Name;
        TModalResult Answer;
        bool LoseConnection;
        bool Uploaded;
        bool Kept;
    } cases[] = {
        {"upload", "doc.txt", mrYes, false, true, false},
        {"upload a grown binary file", "grown.bin", mrYes, false, true, false},
        {"discard", "doc.txt", mrNo, false, false, false},
        {"keep", "doc.txt", mrCancel, false, false, true},
        {"keep after a lost connection", "doc.txt", mrCancel, true, false, true},
        {"discard after a lost connection", "doc.txt", mrOk, true, false, false},
    };
    bool serverUp = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        const QString name = QLatin1String(c.Name);
        if (!serverUp) {
            ASSERT_TRUE(Server.Start()) << Server.ErrorText().toStdString();
        }
        serverUp = true;
        ASSERT_TRUE(testfiles::Write(Remote(name), "old\n"));
        QDir(KeepDir.path()).removeRecursively();
        Opened.clear();
        Dialogs.Asked.clear();
        Connect();
        Main.OpenRemoteItem(Row(name));
        ASSERT_EQ(Opened.size(), 1) << Log().toStdString();
        ASSERT_TRUE(testfiles::Write(Opened[0], changed));
        const QString root = Main.TempFiles.Root();

        Dialogs.Answer(c.Answer);
        if (c.LoseConnection) {
            Server.Kill();
            serverUp = false;
            EXPECT_TRUE(QTest::qWaitFor([this] { return Main.ConnectionState == csNotConnected; }, 20000));
        } else {
            Main.actDisconnectExecute();
        }

        ASSERT_FALSE(Dialogs.Asked.empty());
        const TBoxRequest& question = Dialogs.Asked.front();
        EXPECT_TRUE(question.Text.contains('"' + name + "\" was changed")) << question.Text.toStdString();
        EXPECT_EQ(question.ButtonTexts.size(), c.LoseConnection ? 2 : 3) << "no upload without a site";
        EXPECT_EQ(testfiles::Read(Remote(name)), c.Uploaded ? changed : "old\n") << Log().toStdString();
        const QString kept = QDir(KeepDir.path()).filePath(name);
        EXPECT_EQ(testfiles::Read(kept), c.Kept ? changed : "<missing>");
        if (c.Kept) {
            EXPECT_TRUE(Log().contains(kept)) << "the user is told where the file went";
        }
        EXPECT_FALSE(QFileInfo::exists(root));
        EXPECT_EQ(Main.ConnectionState, csNotConnected);
    }
}

TEST_F(OpenFiles, ADownloadOverAnExistingFileReplacesItUnaskedOnlyWhenItArrives)
{
    const QString local = QDir(Local.path()).filePath("x.bin");
    for (const bool remoteGone : {true, false}) {
        SCOPED_TRACE(remoteGone ? "download refused" : "download complete");
        ASSERT_TRUE(testfiles::Write(local, "the user's own"));
        // Longer than the local file and no newer: it looks like what an
        // interrupted download leaves, but it is no part of this file.
        ASSERT_TRUE(testfiles::Write(Remote("x.bin"), "from the site, and longer"));
        if (!Main.IsConnected()) Connect();
        Main.RemoteDir->Refresh();
        const int row = Row("x.bin");
        // Listed, then gone before it is fetched: "RETR" is refused.
        if (remoteGone) {
            ASSERT_TRUE(QFile::remove(Remote("x.bin")));
        }
        Opened.clear();
        Main.OpenAfterDownload.OpenMode = omAssociated;

        ASSERT_TRUE(Main.DownloadItemTo(row, Local.path()));

        EXPECT_EQ(testfiles::Read(local), remoteGone ? "the user's own" : "from the site, and longer");
        EXPECT_EQ(Opened, remoteGone ? QStringList() : QStringList{local}) << "only what arrived opens";
        EXPECT_TRUE(Dialogs.Asked.empty()) << "the user asked for this very file";
        EXPECT_FALSE(Main.OpenAfterDownload.Pending);
    }
}

TEST_F(OpenFiles, ALinkTheServerWillNotEnterOpensAsAFile)
{
    ASSERT_TRUE(testfiles::Write(Remote("real.txt"), "behind the link\n"));
    ASSERT_TRUE(QDir(Server.RootPath()).mkpath("dir"));
    ASSERT_TRUE(QFile::link("real.txt", Remote("link.txt")));
    ASSERT_TRUE(QFile::link("dir", Remote("dirlink")));
    // By "LIST": pyftpdlib's "MLSD" describes a link by what it leads to.
    ForceList = true;
    Connect();
    ASSERT_TRUE(Main.RemoteDir->IsDirectoryItem(Row("link.txt"))) << "the listing cannot tell";

    PressEnterOn(*Main.RemoteDir, Row("link.txt"));
    ASSERT_EQ(Opened.size(), 1) << Log().toStdString();
    EXPECT_TRUE(Opened[0].endsWith("/link.txt"));
    EXPECT_EQ(OpenedBytes[0], "behind the link\n");
    // The menu's "Open" finds the same.
    SelectRows(*Main.RemoteDir, {Row("link.txt")});
    Main.Actions[QStringLiteral("actROpen")]->trigger();
    ASSERT_EQ(Opened.size(), 2) << Log().toStdString();
    EXPECT_EQ(OpenedBytes[1], "behind the link\n");

    PressEnterOn(*Main.RemoteDir, Row("dirlink"));
    EXPECT_EQ(Main.RemoteDir->Directory(), "/dirlink") << "a link to a folder is entered";
    EXPECT_EQ(Opened.size(), 2);
}

TEST_F(OpenFiles, LocalFilesOpenWithTheDesktopWhoseFailureIsNotShown)
{
    ASSERT_TRUE(testfiles::Write(QDir(Local.path()).filePath("here.txt"), "x"));
    Main.OpenWithDesktop = [this](const QString& path) {
        Opened << path;
        return false;
    };
    Main.show();
    Main.LocalDir->SetDirectory(Local.path());
    PressEnterOn(*Main.LocalDir, Main.LocalDir->FindItem("here.txt", true));
    EXPECT_EQ(Opened, QStringList{QDir(Local.path()).filePath("here.txt")});
    EXPECT_TRUE(Dialogs.Asked.empty());
}

TEST_F(OpenFiles, DraggingOutDownloadsTheSelectionOnceWhenTheDesktopAsksForFiles)
{
    const QByteArray bytes = testfiles::SeededBytes(70000, 15);
    ASSERT_TRUE(testfiles::Write(Remote("a.bin"), bytes));
    ASSERT_TRUE(QDir(Server.RootPath()).mkpath("docs"));
    ASSERT_TRUE(testfiles::Write(Remote("docs/x.txt"), "x\n"));
    Connect();
    EXPECT_TRUE(Main.RemoteDir->dragEnabled() && Main.LocalDir->dragEnabled());
    SelectRows(*Main.RemoteDir, {Row("a.bin"), Row("docs")});
    std::unique_ptr<QMimeData> data(Main.RemoteDir->NewDragData());
    ASSERT_TRUE(data->hasFormat(TFileListModel::ItemsMimeType) && data->hasUrls());
    EXPECT_TRUE(Log().indexOf("Transferring file") < 0) << "nothing moves before a target asks";

    const QList<QUrl> urls = data->urls();
    ASSERT_EQ(urls.size(), 2) << Log().toStdString();
    EXPECT_EQ(testfiles::Read(urls[0].toLocalFile()), bytes);
    EXPECT_EQ(testfiles::Read(urls[1].toLocalFile() + "/x.txt"), "x\n");
    const int transfers = int(Main.Status->Lines().filter("Transferring file").size());
    EXPECT_EQ(data->urls(), urls);
    EXPECT_EQ(Main.Status->Lines().filter("Transferring file").size(), transfers)
        << "asked again, not fetched again";

    Main.actDisconnectExecute();
    std::unique_ptr<QMimeData> offline(Main.RemoteDir->NewDragData());
    EXPECT_TRUE(offline->urls().isEmpty());
}

}  // namespace
