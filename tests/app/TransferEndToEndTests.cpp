// Transfers as a user makes them in the main window, against a real FTP
// server: F8 and F7 on a selection, drops between the panes and from the
// desktop, and a connection that drops while a file moves.
#include "MainWindowOnSite.h"
#include "app/StatusLog.h"
#include "app/frmMain.h"
#include "support/PyFtpdServer.h"
#include "support/SelectRows.h"
#include "support/TestFiles.h"
#include "support/dialogs/ScriptedDialogs.h"
#include "transfer/frmTransfer.h"
#include "views/local/FileListView.h"
#include "views/remote/FtpFileListView.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QByteArray BinaryBytes(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((qint64(i) * 131 + 7) % 256);  // every byte value, CR and LF among them
    return bytes;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class TransferEndToEnd : public MainWindowOnSite {
protected:
    static void Select(TCustomFileListView& view, const QStringList& names)
    {
        QList<int> rows;
        for (const QString& name : names) {
            const int row = view.FindItem(name, true);
            ASSERT_GE(row, 0) << name.toStdString();
            rows << row;
        }
        std::sort(rows.begin(), rows.end());
        SelectRows(view, rows);
    }
    int LogCount(const QString& line) const { return int(Main.Status->Lines().count(line)); }
    // The files the log says were transferred, in order.
    QStringList TransferredNames() const
    {
        static const QRegularExpression line(QStringLiteral("^Transferring file \"([^\"]*)\""));
        QStringList names;
        for (const QString& text : Main.Status->Lines()) {
            const QRegularExpressionMatch match = line.match(text);
            if (match.hasMatch()) names << match.captured(1);
        }
        return names;
    }
    // The remote pane is free again and shows no busy state.
    void ExpectIdle()
    {
        EXPECT_FALSE(Main.frmTransfer->Active());
        EXPECT_FALSE(Main.RemoteDir->IsBusy());
        EXPECT_FALSE(Main.frmTransfer->isVisible());
    }
};

TEST_F(TransferEndToEnd, DownloadsFilesThenTheFolderDepthFirstEachInItsModeAndShowsThemLocally)
{
    const QByteArray binary = BinaryBytes(300000);
    const QByteArray crlfKept = "raw\r\nbytes\r\n";  // no extension: binary, CR LF stays
    ASSERT_TRUE(testfiles::Write(Remote("a.bin"), binary));
    ASSERT_TRUE(testfiles::Write(Remote("notes.txt"), "one\ntwo\n"));
    ASSERT_TRUE(testfiles::Write(Remote("README"), crlfKept));
    ASSERT_TRUE(QDir(Server.RootPath()).mkpath("docs/sub"));
    ASSERT_TRUE(testfiles::Write(Remote("docs/x.txt"), "x\n"));
    ASSERT_TRUE(testfiles::Write(Remote("docs/sub/deep.dat"), binary.left(1000)));
    Connect();

    Select(*Main.RemoteDir, {"a.bin", "notes.txt", "README", "docs"});
    Main.Actions[QStringLiteral("actDownload")]->trigger();

    ExpectIdle();
    EXPECT_EQ(ReadAll(LocalPath("a.bin")), binary);
    EXPECT_EQ(ReadAll(LocalPath("notes.txt")), "one\ntwo\n") << "text mode keeps local line ends";
    EXPECT_EQ(ReadAll(LocalPath("README")), crlfKept);
    EXPECT_EQ(ReadAll(LocalPath("docs/x.txt")), "x\n");
    EXPECT_EQ(ReadAll(LocalPath("docs/sub/deep.dat")), binary.left(1000));
    // Files of a folder before its subfolders, the selection's files first.
    const QStringList order = TransferredNames();
    ASSERT_EQ(order.size(), 5) << Log().toStdString();
    EXPECT_EQ(QSet<QString>(order.begin(), order.begin() + 3),
              (QSet<QString>{"a.bin", "notes.txt", "README"}));
    EXPECT_EQ(order.mid(3), (QStringList{"x.txt", "deep.dat"}));
    EXPECT_EQ(LogCount("File transfer completed succesfully."), 5);
    EXPECT_FALSE(Log().contains("File transfer aborted"));
    EXPECT_EQ(Main.RemoteDir->Directory(), "/") << "the walk comes back to where it started";
    for (const char* name : {"a.bin", "notes.txt", "README", "docs"})
        EXPECT_GE(Main.LocalDir->FindItem(QLatin1String(name), true), 0) << name;
}

TEST_F(TransferEndToEnd, UploadsATreeWithAnEmptyFolderAndSpacesInNames)
{
    ASSERT_TRUE(QDir(Local.path()).mkpath("up/empty dir"));
    ASSERT_TRUE(QDir(Local.path()).mkpath("up/sub"));
    ASSERT_TRUE(testfiles::Write(LocalPath("up/my file.txt"), "hello\nworld\n"));
    ASSERT_TRUE(testfiles::Write(LocalPath("up/sub/data.bin"), BinaryBytes(70000)));
    Connect();
    Main.LocalDir->Refresh();

    Select(*Main.LocalDir, {"up"});
    Main.Actions[QStringLiteral("actUpload")]->trigger();

    ExpectIdle();
    EXPECT_TRUE(QFileInfo(Remote("up/empty dir")).isDir()) << Log().toStdString();
    EXPECT_EQ(ReadAll(Remote("up/my file.txt")), "hello\nworld\n");
    EXPECT_EQ(ReadAll(Remote("up/sub/data.bin")), BinaryBytes(70000));
    EXPECT_EQ(LogCount("File transfer completed succesfully."), 2);
    EXPECT_GE(Main.RemoteDir->FindItem("up", true), 0) << "the remote pane shows what arrived";
}

TEST_F(TransferEndToEnd, DropOntoARemoteFolderUploadsIntoItAndReturns)
{
    ASSERT_TRUE(QDir(Server.RootPath()).mkdir("incoming"));
    ASSERT_TRUE(testfiles::Write(LocalPath("report.pdf"), BinaryBytes(5000)));
    Connect();
    Main.LocalDir->Refresh();
    Select(*Main.LocalDir, {"report.pdf"});
    const int folder = Main.RemoteDir->FindItem("incoming", true);
    ASSERT_GE(folder, 0);
    const QPoint onFolder = Main.RemoteDir->visualRect(Main.RemoteDir->model()->index(folder, 0)).center();

    bool accepted = false;
    Main.RemoteDir->OnDragOver(Main.RemoteDir, Main.LocalDir, onFolder, accepted);
    EXPECT_TRUE(accepted);
    Main.RemoteDir->OnDragOver(Main.RemoteDir, Main.RemoteDir, onFolder, accepted);
    EXPECT_FALSE(accepted) << "a pane takes drags only from the other pane";
    Main.RemoteDir->OnDragDrop(Main.RemoteDir, Main.LocalDir, onFolder);

    ExpectIdle();
    EXPECT_EQ(ReadAll(Remote("incoming/report.pdf")), BinaryBytes(5000));
    EXPECT_FALSE(QFile::exists(Remote("report.pdf")));
    EXPECT_EQ(Main.RemoteDir->Directory(), "/");
}

TEST_F(TransferEndToEnd, DropOntoAFileOfTheSameNameAsksAboutResumingAndCancelDoesNothing)
{
    ASSERT_TRUE(testfiles::Write(Remote("same.bin"), BinaryBytes(100)));
    ASSERT_TRUE(testfiles::Write(LocalPath("same.bin"), BinaryBytes(400)));
    Connect();
    Main.LocalDir->Refresh();
    Select(*Main.LocalDir, {"same.bin"});
    const int target = Main.RemoteDir->FindItem("same.bin", true);
    const QPoint onFile = Main.RemoteDir->visualRect(Main.RemoteDir->model()->index(target, 0)).center();

    Dialogs.Answer(mrCancel);
    Main.RemoteDir->OnDragDrop(Main.RemoteDir, Main.LocalDir, onFile);

    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_EQ(Dialogs.Asked[0].Text, "Do you want to continue possibly interrupted file transfer?");
    EXPECT_EQ(ReadAll(Remote("same.bin")), BinaryBytes(100));
    EXPECT_TRUE(TransferredNames().isEmpty());
    ExpectIdle();
}

TEST_F(TransferEndToEnd, DropOntoItsPartialCopyAndYesResumesTheUploadByteExact)
{
    const QByteArray whole = BinaryBytes(200000);
    ASSERT_TRUE(testfiles::Write(Remote("part.bin"), whole.left(70000)));
    ASSERT_TRUE(testfiles::Write(LocalPath("part.bin"), whole));
    Connect();
    Main.LocalDir->Refresh();
    Select(*Main.LocalDir, {"part.bin"});
    const int target = Main.RemoteDir->FindItem("part.bin", true);
    const QPoint onFile = Main.RemoteDir->visualRect(Main.RemoteDir->model()->index(target, 0)).center();

    Dialogs.Answer(mrYes);
    Main.RemoteDir->OnDragDrop(Main.RemoteDir, Main.LocalDir, onFile);

    ExpectIdle();
    EXPECT_EQ(ReadAll(Remote("part.bin")), whole) << Log().toStdString();
    EXPECT_EQ(Dialogs.Asked.size(), 1u) << "the drop's answer is the resume approval";
    EXPECT_TRUE(Log().contains("Transferred: 130000 bytes.")) << "only the remainder moved";
}

TEST_F(TransferEndToEnd, FilesDroppedFromTheDesktopAreUploadedFromTheirFolders)
{
    ASSERT_TRUE(QDir(Local.path()).mkpath("one"));
    ASSERT_TRUE(QDir(Local.path()).mkpath("two/tree"));
    ASSERT_TRUE(testfiles::Write(LocalPath("one/a.txt"), "a\n"));
    ASSERT_TRUE(testfiles::Write(LocalPath("two/tree/b.txt"), "b\n"));
    Connect();

    bool handle = true;
    Main.RemoteDir->OnFileDrop(Main.RemoteDir, {LocalPath("one/a.txt"), LocalPath("two/tree")}, handle);

    EXPECT_FALSE(handle);
    ExpectIdle();
    EXPECT_EQ(ReadAll(Remote("a.txt")), "a\n");
    EXPECT_EQ(ReadAll(Remote("tree/b.txt")), "b\n");
}

TEST_F(TransferEndToEnd, AConnectionLostWhileAFileMovesEndsTheJobOnceWithoutQuestions)
{
    const QByteArray big = BinaryBytes(48 * 1024 * 1024);
    ASSERT_TRUE(testfiles::Write(Remote("big.bin"), big));
    ASSERT_TRUE(testfiles::Write(Remote("later.bin"), "never\n"));
    Connect();
    Select(*Main.RemoteDir, {"big.bin", "later.bin"});
    // The server goes away once the first bytes have arrived.
    QTimer disconnect;
    QObject::connect(&disconnect, &QTimer::timeout, [this, &disconnect] {
        if (!Main.frmTransfer->FileInProgress() || Main.Ftp.DataReceivedBytes() == 0) return;
        disconnect.stop();
        Server.Kill();
    });
    disconnect.start(0);

    Main.Actions[QStringLiteral("actDownload")]->trigger();

    EXPECT_FALSE(disconnect.isActive())
        << "the transfer ended before the disconnect: " << Log().toStdString();
    EXPECT_EQ(Main.ConnectionState, csNotConnected);
    ExpectIdle();
    EXPECT_TRUE(Dialogs.Asked.empty()) << "no question and no box for a lost connection";
    EXPECT_EQ(LogCount("File transfer aborted"), 1) << Log().toStdString();
    // What arrived stays for a later resume; it never passes for the whole file.
    EXPECT_LT(QFileInfo(LocalPath("big.bin")).size(), big.size());
    EXPECT_FALSE(QFile::exists(LocalPath("later.bin")));
    EXPECT_FALSE(Log().contains("File transfer completed succesfully."));
}

}  // namespace
