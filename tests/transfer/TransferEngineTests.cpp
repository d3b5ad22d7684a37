// The transfer engine against a real FTP server on loopback.
#include "TransferFixture.h"
#include "support/PyFtpdServer.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>

namespace {

class TransferEngine : public TransferFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Server.Start()) << Server.ErrorText().toStdString();
        for (const auto& [path, bytes] : ServerFiles)
            Put(path, bytes);
        Connect(Server.Port(), Server.User(), Server.Password());
    }
    QString OnServer(const QString& path) const { return QDir(Server.RootPath()).filePath(path); }
    void Put(const QString& path, const QByteArray& bytes)
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(OnServer(path)).path()));
        ASSERT_TRUE(testfiles::Write(OnServer(path), bytes));
    }
    void PutLocal(const QString& path, const QByteArray& bytes)
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(LocalPath(path)).path()));
        ASSERT_TRUE(testfiles::Write(LocalPath(path), bytes));
    }
    void Download(const QStringList& names) { Transfer.DownloadFiles(RemoteSelection(names), Local.path()); }

    const QByteArray Crlf = "line one\r\nline two\r\n";
    const QByteArray Big = testfiles::SeededBytes(24 * 1024 * 1024, 7);
    std::vector<std::pair<QString, QByteArray>> ServerFiles{
        {"a.bin", testfiles::SeededBytes(70000, 1) + Crlf},
        {"b.txt", Crlf},
        {"dir/noext", Crlf},
        {"dir/sub/deep.txt", Crlf},
        {"big.bin", Big},
        {"small.bin", "small"},
    };
    PyFtpdServer Server;
};

TEST_F(TransferEngine, SelectionDownloadsDepthFirstInEachModeByteExact)
{
    const QByteArray lf = "line one\nline two\n";
    const struct {
        TTransferMode Mode;
        QByteArray BText, NoExt;  // what b.txt and dir/noext become
    } cases[] = {
        {tmAutomatic, lf, Crlf},  // text by extension; no extension is binary
        {tmBinary, Crlf, Crlf},
        {tmText, lf, lf},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.Mode));
        QDir(LocalPath("dir")).removeRecursively();
        QFile::remove(LocalPath("a.bin"));
        QFile::remove(LocalPath("b.txt"));
        Host.Log.clear();
        Host.Mode = c.Mode;
        Download({"dir", "a.bin", "b.txt"});
        EXPECT_EQ(TransferredNames(), (QStringList{"a.bin", "b.txt", "noext", "deep.txt"}));
        if (c.Mode != tmText) {
            EXPECT_EQ(testfiles::Read(LocalPath("a.bin")), testfiles::Read(OnServer("a.bin")));
        }
        EXPECT_EQ(testfiles::Read(LocalPath("b.txt")), c.BText);
        EXPECT_EQ(testfiles::Read(LocalPath("dir/noext")), c.NoExt);
        EXPECT_EQ(testfiles::Read(LocalPath("dir/sub/deep.txt")), c.Mode == tmBinary ? Crlf : lf);
        EXPECT_EQ(Host.Count("E "), 0) << Host.Log.join('\n').toStdString();
        EXPECT_EQ(RemoteView.Directory(), "/");  // the walk came back up
    }
    EXPECT_EQ(Host.Finished, (QList<bool>{false, false, false}));
}

TEST_F(TransferEngine, TreeUploadCreatesEmptyFoldersAndKeepsSpacedNames)
{
    PutLocal("up/a file.txt", Crlf);
    PutLocal("up/sub/x.bin", testfiles::SeededBytes(5000, 3));
    ASSERT_TRUE(QDir().mkpath(LocalPath("up/empty")));
    Host.Mode = tmBinary;
    Transfer.UploadFiles(LocalSelection({"up"}), Local.path());
    EXPECT_EQ(testfiles::Read(OnServer("up/a file.txt")), Crlf);
    EXPECT_EQ(testfiles::Read(OnServer("up/sub/x.bin")), testfiles::Read(LocalPath("up/sub/x.bin")));
    EXPECT_TRUE(QFileInfo(OnServer("up/empty")).isDir());
    EXPECT_EQ(Host.Count("E "), 0) << Host.Log.join('\n').toStdString();
    EXPECT_EQ(Host.Finished, QList<bool>{true});
    EXPECT_EQ(RemoteView.Directory(), "/");
}

TEST_F(TransferEngine, EachReplaceAnswerDecidesOverTheExistingFiles)
{
    const QByteArray old = "old contents";
    Settings.TransferFlags = tfConfirmOverwrite;  // newer and smaller: no resume offer here
    const struct {
        const char* Name;
        QList<TModalResult> Answers;
        bool FirstReplaced, SecondReplaced, Aborted;
    } cases[] = {
        {"yes then no", {mrYes, mrNo}, true, false, false},
        {"no then yes", {mrNo, mrYes}, false, true, false},
        {"cancel", {mrCancel}, false, false, true},
        {"yes to all", {mrYesToAll}, true, true, false},
        {"no to all", {mrNoToAll}, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        PutLocal("a.bin", old);
        PutLocal("small.bin", old);
        Host.Log.clear();
        for (TModalResult answer : c.Answers)
            Dialogs.Answer(answer);
        const size_t asked = Dialogs.Asked.size();
        Download({"a.bin", "small.bin"});
        EXPECT_EQ(Dialogs.Asked.size() - asked, size_t(c.Answers.size()))
            << Host.Log.join("\n").toStdString();
        EXPECT_EQ(testfiles::Read(LocalPath("a.bin")) != old, c.FirstReplaced);
        EXPECT_EQ(testfiles::Read(LocalPath("small.bin")) != old, c.SecondReplaced);
        EXPECT_EQ(Host.Count("E File transfer aborted"), c.Aborted ? 1 : 0);
    }
    EXPECT_EQ(Dialogs.Asked.front().Text.toStdString(), "Replace file \"a.bin\"?");
    EXPECT_EQ(Dialogs.Asked.front().Kind, bkYesNoCancelAll);
}

TEST_F(TransferEngine, SkipKeepsOrDeletesThePartialFileAndGoesOn)
{
    const struct {
        TModalResult DeletePartial;
        bool Kept;
        const char* Line;
    } cases[] = {
        {mrNo, true, "I Partially transferred file will be saved for later use."},
        {mrYes, false, "I Partially transferred file will be deleted."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line);
        QFile::remove(LocalPath("big.bin"));
        QFile::remove(LocalPath("small.bin"));
        Host.Log.clear();
        Host.Mode = tmBinary;
        Dialogs.Answer(c.DeletePartial);
        AtBytes(1024 * 1024, [this] {
            ASSERT_TRUE(Transfer.btnSkip->isEnabled());
            Transfer.btnSkip->click();
        });
        Download({"big.bin", "small.bin"});
        EXPECT_EQ(Host.Count("E File transfer aborted"), 1);
        EXPECT_EQ(Host.Count(c.Line), 1) << Host.Log.join('\n').toStdString();
        EXPECT_EQ(QFileInfo::exists(LocalPath("big.bin")), c.Kept);
        if (c.Kept) {
            EXPECT_LT(QFileInfo(LocalPath("big.bin")).size(), Big.size());
        }
        EXPECT_EQ(testfiles::Read(LocalPath("small.bin")), "small");  // the job went on
        EXPECT_TRUE(Dialogs.Asked.back().Text.startsWith("Current file: \"big.bin\""));
    }
}

TEST_F(TransferEngine, CancelAsksFirstAndEndsTheJobOnlyOnOk)
{
    // No to the question: the file goes on untouched.
    Dialogs.Answer(mrCancel);
    AtBytes(1024 * 1024, [this] { Transfer.btnCancel->click(); });
    Download({"big.bin", "small.bin"});
    EXPECT_EQ(testfiles::Read(LocalPath("big.bin")), Big);
    EXPECT_EQ(testfiles::Read(LocalPath("small.bin")), "small");
    EXPECT_EQ(Host.Count("E "), 0);

    // OK: the file is aborted, its partial file deleted on Yes, the job ends.
    QFile::remove(LocalPath("big.bin"));
    QFile::remove(LocalPath("small.bin"));
    Dialogs.Answer(mrOk);
    Dialogs.Answer(mrYes);
    AtBytes(1024 * 1024, [this] { Transfer.btnCancel->click(); });
    Download({"big.bin", "small.bin"});
    EXPECT_FALSE(QFileInfo::exists(LocalPath("big.bin")));
    EXPECT_FALSE(QFileInfo::exists(LocalPath("small.bin")));
    EXPECT_EQ(Host.Count("E File transfer aborted"), 2);  // the file's, then the job's
    EXPECT_EQ(Host.Finished.size(), 2);
    EXPECT_FALSE(Transfer.isVisible());
}

TEST_F(TransferEngine, ReplacedLocalFileSurvivesASkipWithoutThePartialQuestion)
{
    const QByteArray old = "the user's own big.bin";
    Settings.TransferFlags = tfConfirmOverwrite;
    PutLocal("big.bin", old);
    Dialogs.Answer(mrYes);  // replace; no partial-file question may follow
    AtBytes(1024 * 1024, [this] { Transfer.btnSkip->click(); });
    Download({"big.bin", "small.bin"});
    EXPECT_EQ(testfiles::Read(LocalPath("big.bin")), old);
    EXPECT_EQ(Host.Count(QStringLiteral("I The existing file \"%1\" was kept.").arg(LocalPath("big.bin"))), 1)
        << Host.Log.join('\n').toStdString();
    EXPECT_EQ(testfiles::Read(LocalPath("small.bin")), "small");
    EXPECT_EQ(QDir(Local.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);  // no temporary left
}

TEST_F(TransferEngine, ReplacedRemoteFileSurvivesASkippedUpload)
{
    Settings.TransferFlags = tfConfirmOverwrite;
    PutLocal("big.bin", testfiles::SeededBytes(Big.size(), 8));
    Dialogs.Answer(mrYes);  // replace the server's big.bin; no partial-file question follows
    AtBytes(1024 * 1024, [this] { Transfer.btnSkip->click(); });
    Transfer.UploadFiles(LocalSelection({"big.bin"}), Local.path());
    EXPECT_EQ(testfiles::Read(OnServer("big.bin")), Big);  // the server's own copy, untouched
    EXPECT_EQ(Host.Count("I The existing file \"big.bin\" was kept."), 1)
        << Host.Log.join('\n').toStdString();
    EXPECT_EQ(QDir(Server.RootPath()).entryList(QDir::Files | QDir::Hidden).size(), 4);  // no temporary left
}

TEST_F(TransferEngine, InterruptedDownloadIsOfferedForResumeAndContinuesByteExact)
{
    // The server's copy is older than the partial local one, and larger.
    const QDateTime past = QDateTime::currentDateTime().addDays(-3);
    for (const QString name : {"big.bin", "b.txt"}) {
        QFile file(OnServer(name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(past, QFileDevice::FileModificationTime));
    }
    RemoteView.RefreshList();
    PutLocal("big.bin", Big.left(5'000'000));
    PutLocal("b.txt", "line");
    Host.Mode = tmBinary;   // a text file is never resumed, whatever the mode
    Dialogs.Answer(mrYes);  // replace b.txt: the only question it brings (the view lists it first)
    Dialogs.Answer(mrYes);  // resume big.bin
    Download({"big.bin", "b.txt"});
    ASSERT_EQ(Dialogs.Asked.size(), 2u);
    EXPECT_EQ(Dialogs.Asked[0].Text.toStdString(), "Replace file \"b.txt\"?");
    EXPECT_TRUE(
        Dialogs.Asked[1].Text.startsWith("Transferring the file \"big.bin\" has possibly been interrupted"));
    EXPECT_EQ(testfiles::Read(LocalPath("big.bin")), Big);
    EXPECT_EQ(testfiles::Read(LocalPath("b.txt")), Crlf);
    // This run moved the rest of the file: the listing's whole size less
    // the offset, whatever size the server announced.
    EXPECT_EQ(Transfer.GetTransferStatistics().Bytes, Big.size() - 5'000'000);
    EXPECT_EQ(Host.Count("I Transferring file \"big.bin\""), 1);
    EXPECT_TRUE(Host.Matching("I Transferring file \"big.bin\"").value(0).contains("using temporary file"));
}

TEST_F(TransferEngine, JobQueuedDuringAnotherKeepsItsOwnDirection)
{
    PutLocal("up.bin", "local bytes");
    // An upload handed over while a download runs.
    AtBytes(1, [this] { Transfer.UploadFiles(LocalSelection({"up.bin"}), Local.path()); });
    Download({"big.bin"});
    EXPECT_EQ(testfiles::Read(LocalPath("big.bin")), Big);
    EXPECT_EQ(testfiles::Read(OnServer("up.bin")), "local bytes");
    EXPECT_FALSE(QFileInfo::exists(LocalPath("up.bin.")));
    EXPECT_EQ(Host.Finished, (QList<bool>{false, true}));

    // A download handed over while an upload runs.
    PutLocal("large.bin", Big);
    RemoteView.RefreshList();
    AtBytes(1, [this] { Transfer.DownloadFiles(RemoteSelection({"small.bin"}), Local.path()); });
    Transfer.UploadFiles(LocalSelection({"large.bin"}), Local.path());
    EXPECT_EQ(testfiles::Read(OnServer("large.bin")), Big);
    EXPECT_EQ(testfiles::Read(LocalPath("small.bin")), "small");
    EXPECT_EQ(Host.Finished, (QList<bool>{false, true, true, false}));
    EXPECT_EQ(Host.Count("E "), 0) << Host.Log.join('\n').toStdString();
}

// A type stays set on the server, so "TYPE" goes out only when the next
// file needs another type than the server has: the first file, a change of
// type, and after a folder's listing (sent in text type). The contents show
// that each file still moved in its own type.
TEST_F(TransferEngine, TransferTypeIsSentOnlyWhenTheServerHasAnother)
{
    const struct {
        TTransferMode Mode;
        QStringList Names;
        QList<bool> Types;  // what the engine asked the main window to set
    } cases[] = {
        {tmBinary, {"a.bin", "small.bin", "big.bin"}, {false}},
        {tmAutomatic, {"a.bin", "b.txt", "small.bin"}, {false, true, false}},
        {tmBinary, {"dir", "a.bin", "small.bin"}, {false, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Names.join(' ').toStdString());
        QDir(LocalPath("dir")).removeRecursively();
        for (const QString& name : c.Names)
            QFile::remove(LocalPath(name));
        Host.Types.clear();
        Host.Mode = c.Mode;
        Download(c.Names);
        EXPECT_EQ(Host.Types, c.Types);
        EXPECT_EQ(testfiles::Read(LocalPath("a.bin")), testfiles::Read(OnServer("a.bin")));
        EXPECT_EQ(Host.Count("E "), 0) << Host.Log.join('\n').toStdString();
    }
    EXPECT_EQ(testfiles::Read(LocalPath("b.txt")), "line one\nline two\n");
    EXPECT_EQ(testfiles::Read(LocalPath("dir/noext")), Crlf);
    EXPECT_EQ(testfiles::Read(LocalPath("dir/sub/deep.txt")), Crlf);
}

TEST_F(TransferEngine, UnsafeNamesAreSkippedAndTheJobGoesOn)
{
    ASSERT_TRUE(QDir().mkpath(LocalPath("in")));
    auto tree = std::make_unique<TDirectory>();
    tree->Contents.Files = {"../escape", "small.bin", "."};
    tree->Contents.AddDirectory(std::make_unique<TDirectory>(".."));
    tree->Contents.AddDirectory(std::make_unique<TDirectory>("a/b"));
    Transfer.DownloadFiles(std::move(tree), LocalPath("in"));
    EXPECT_EQ(Host.Matching("E Skipped").size(), 4) << Host.Log.join('\n').toStdString();
    EXPECT_EQ(Host.Count("E File transfer aborted"), 0);
    EXPECT_EQ(TransferredNames(), QStringList{"small.bin"});
    EXPECT_FALSE(QFileInfo::exists(LocalPath("escape")));
    EXPECT_FALSE(QFileInfo::exists(LocalPath("in/a")));
}

}  // namespace
