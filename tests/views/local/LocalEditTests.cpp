// New folders, renaming and deleting in the local pane.
#include "LocalViewFixture.h"
#include "support/dialogs/ScriptedDialogs.h"
#include "views/framework/FileListModel.h"
#include "views/local/LocalFolder.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTest>
#include <sys/mount.h>
#include <sys/stat.h>

namespace {

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class LocalEdit : public LocalView {
protected:
    void SetUp() override
    {
        LocalView::SetUp();
        MakeFile("a.txt", "alpha");
        MakeFile("b.txt", "bravo");
        MakeFile("sub/inner/deep.txt", "deep");
        MakeDir("new_directory");
        Open();
    }

    QLineEdit* Editor() const { return View.viewport()->findChild<QLineEdit*>(); }

    // Types into the open caption editor and presses Enter; the edit ends
    // through the event loop, so wait (bounded) until it has.
    void FinishEdit(const QString& text)
    {
        ASSERT_TRUE(Editor());
        Editor()->setText(text);
        QTest::keyClick(Editor(), Qt::Key_Return);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !View.IsEditing(); }, 5000));
    }

    QString Trashed(const QString& name) const
    {
        return qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/files/" + name;
    }

    TScriptedDialogs Dialogs;
};

TEST_F(LocalEdit, ANewFolderIsMadeUniqueAndOpenedForEditing)
{
    EXPECT_EQ(View.CreateDirectory("new_directory", true, false), 1);
    EXPECT_FALSE(QFileInfo::exists(Path("new_directory (2)")));

    EXPECT_EQ(View.CreateDirectory("new_directory", true, true), 0);
    EXPECT_TRUE(QFileInfo(Path("new_directory (2)")).isDir());
    const int row = Row("new_directory (2)");
    ASSERT_GE(row, 0);
    EXPECT_TRUE(View.IsDirectoryItem(row));
    ASSERT_TRUE(View.IsEditing());
    EXPECT_EQ(View.SelectedItems(), QList<int>{row});
    EXPECT_EQ(Editor()->text(), "new_directory (2)");
    FinishEdit("reports");
    EXPECT_TRUE(QFileInfo(Path("reports")).isDir());
    EXPECT_FALSE(QFileInfo::exists(Path("new_directory (2)")));
    EXPECT_EQ(Cell(row, 0), "reports");
}

TEST_F(LocalEdit, AUniqueNameSkipsNamesTakenOnDiskSinceTheListing)
{
    MakeDir("new_directory (2)");  // not listed yet
    EXPECT_EQ(View.CreateDirectory("new_directory", false, true), 0);
    EXPECT_TRUE(QFileInfo(Path("new_directory (3)")).isDir());
    EXPECT_GE(Row("new_directory (3)"), 0);
    EXPECT_FALSE(View.IsEditing());  // not refreshed: no edit

    for (const char* bad : {"x/y", "..", ""})
        EXPECT_EQ(View.CreateDirectory(bad, false, true), -1) << bad;
    EXPECT_FALSE(QFileInfo::exists(Path("x")));
}

TEST_F(LocalEdit, ARenameThatFailsRestoresTheCaptionAndKeepsBothFiles)
{
    const int row = Row("a.txt");
    View.BeginRename(row);
    FinishEdit("b.txt");
    EXPECT_EQ(Cell(row, 0), "a.txt");
    EXPECT_EQ(Read(Path("a.txt")), "alpha");
    EXPECT_EQ(Read(Path("b.txt")), "bravo");
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_TRUE(Dialogs.Asked[0].Text.startsWith("Cannot rename \"a.txt\" to \"b.txt\""));
    EXPECT_TRUE(Dialogs.Asked[0].Alert);

    // A name with a separator would move the file elsewhere.
    QString name = "sub/moved.txt";
    EXPECT_FALSE(View.RenameItem(row, name));
    EXPECT_EQ(name, "a.txt");
    EXPECT_FALSE(QFileInfo::exists(Path("sub/moved.txt")));
    EXPECT_EQ(Read(Path("a.txt")), "alpha");
}

TEST_F(LocalEdit, ARenameMovesTheFileAndTellsTheOwner)
{
    QStringList renamed;
    View.OnRenameItem = [&](TCustomFileListView*, int item, const QString& old) {
        renamed << QString("%1 %2").arg(item).arg(old);
    };
    const int row = Row("a.txt");
    View.selectionModel()->setCurrentIndex(View.model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
    QTest::keyClick(&View, Qt::Key_F2);
    FinishEdit("z.txt");
    EXPECT_EQ(Read(Path("z.txt")), "alpha");
    EXPECT_FALSE(QFileInfo::exists(Path("a.txt")));
    EXPECT_EQ(Cell(row, 0), "z.txt");
    EXPECT_EQ(View.ItemPath(row), Path("z.txt"));
    EXPECT_EQ(View.GetItemInfo(row).Name, "z.txt");
    EXPECT_EQ(renamed, QStringList{QString("%1 a.txt").arg(row)});
    EXPECT_TRUE(Dialogs.Asked.empty());
}

TEST_F(LocalEdit, DeleteMovesToTheTrashAndShiftDeleteRemovesForGood)
{
    // With home on the tree's volume the home trash is used: the one in the
    // user's data folder, which does not exist yet.
    const TScopedEnv home("HOME", Root.path());
    const TScopedEnv data("XDG_DATA_HOME", Path("new_directory/no-data-yet"));
    Dialogs.Answer(mrYes);
    SelectNamed({"a.txt"});
    QTest::keyClick(&View, Qt::Key_Delete);
    EXPECT_FALSE(QFileInfo::exists(Path("a.txt")));
    EXPECT_EQ(Read(Trashed("a.txt")), "alpha");
    EXPECT_EQ(Row("a.txt"), -1);

    Dialogs.Answer(mrYes);
    SelectNamed({"sub"});
    QTest::keyClick(&View, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_FALSE(QFileInfo::exists(Path("sub")));
    EXPECT_FALSE(QFileInfo::exists(Trashed("sub")));
    EXPECT_EQ(Row("sub"), -1);
    EXPECT_TRUE(View.FileActionFlags().testFlag(faAllowUndo));

    ASSERT_EQ(Dialogs.Asked.size(), 2u);
    EXPECT_EQ(Dialogs.Asked[0].Text, "Move \"a.txt\" to the trash?");
    EXPECT_FALSE(Dialogs.Asked[0].Alert);
    EXPECT_EQ(Dialogs.Asked[1].Text, "Delete the folder \"sub\" and everything in it for good?");
    EXPECT_TRUE(Dialogs.Asked[1].Alert);
}

TEST_F(LocalEdit, NoToTheQuestionOrOnDeletingKeepsEverything)
{
    Dialogs.Answer(mrNo);
    SelectNamed({"a.txt", "b.txt"});
    QTest::keyClick(&View, Qt::Key_Delete);
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_EQ(Dialogs.Asked[0].Text, "Move these 2 items to the trash?");

    QStringList asked;
    View.OnDeleting = [&](TCustomFileListView*, int count, const QString& name, bool isDir, bool& canDelete) {
        asked << QString("%1 %2 %3").arg(count).arg(name).arg(isDir);
        canDelete = false;
    };
    EXPECT_FALSE(View.DeleteItems(Row("sub"), false));
    EXPECT_EQ(asked, QStringList{"1 sub 1"});
    EXPECT_EQ(Read(Path("a.txt")), "alpha");
    EXPECT_EQ(Read(Path("b.txt")), "bravo");
    EXPECT_TRUE(QFileInfo(Path("sub/inner/deep.txt")).isFile());
    EXPECT_EQ(Captions(), (QStringList{"new_directory", "sub", "a.txt", "b.txt"}));
}

TEST_F(LocalEdit, TheConfirmedItemIsDeletedEvenWhenTheListChangesMeanwhile)
{
    View.SetFileActionFlags({});
    View.OnDeleting = [this](TCustomFileListView*, int, const QString&, bool, bool&) {
        MakeFile("0-new.txt", "new");  // sorts first, so every file moves down a row
        View.Refresh();
    };
    EXPECT_TRUE(View.DeleteItems(Row("a.txt"), false));
    EXPECT_FALSE(QFileInfo::exists(Path("a.txt")));
    EXPECT_EQ(Read(Path("0-new.txt")), "new");
    EXPECT_EQ(Read(Path("b.txt")), "bravo");
    EXPECT_EQ(Captions(), (QStringList{"new_directory", "sub", "0-new.txt", "b.txt"}));
}

TEST_F(LocalEdit, RemovingALinkForGoodKeepsWhatItPointsAt)
{
    MakeFile("keep/precious.txt", "keep me");
    ASSERT_TRUE(QFile::link(Path("keep"), Path("dirlink")));
    ASSERT_TRUE(QFile::link(Path("keep"), Path("sub/inner/innerlink")));
    View.Refresh();
    View.SetFileActionFlags(faShowProgressBar);  // no trash, no question

    ASSERT_TRUE(View.IsDirectoryItem(Row("dirlink")));
    EXPECT_TRUE(View.DeleteItems(Row("dirlink"), false));
    EXPECT_TRUE(View.DeleteItems(Row("sub"), false));
    EXPECT_FALSE(QFileInfo(Path("dirlink")).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(Path("sub")));
    EXPECT_EQ(Read(Path("keep/precious.txt")), "keep me");
    EXPECT_TRUE(Dialogs.Asked.empty());
}

// The question says what really goes: only the link, and a broken link for
// good, since the trash cannot take it. Answered No, nothing goes.
TEST_F(LocalEdit, TheQuestionForALinkSaysThatOnlyTheLinkGoes)
{
    ASSERT_TRUE(QFile::link(Path("sub"), Path("dirlink")));
    ASSERT_TRUE(QFile::link(Path("gone"), Path("broken")));
    View.Refresh();
    QStringList isDir;
    View.OnDeleting = [&](TCustomFileListView*, int, const QString&, bool dir, bool&) {
        isDir << QString::number(dir);
    };
    const QString onlyTheLink = " Only the link goes; the folder it points to stays as it is.";
    const TFileActionFlags trash(faAllowUndo | faShowConfirmationBox), forGood(faShowConfirmationBox);
    const std::tuple<QStringList, TFileActionFlags, QString, bool> cases[] = {
        {{"broken"}, trash, "Delete the broken link \"broken\" for good?", true},
        {{"dirlink"}, trash, "Move the link \"dirlink\" to the trash?" + onlyTheLink, false},
        {{"dirlink"}, forGood, "Delete the link \"dirlink\" for good?" + onlyTheLink, true},
        {{"a.txt", "broken"},
         trash,
         "Move these 2 items to the trash?\r\nBroken links among them are deleted for good.",
         true},
    };
    for (const auto& [items, flags, question, alert] : cases) {
        Dialogs.Asked.clear();
        Dialogs.Answer(mrNo);
        View.SetFileActionFlags(flags);
        SelectNamed(items);
        EXPECT_FALSE(View.DeleteItems(-1, true));
        ASSERT_EQ(Dialogs.Asked.size(), 1u);
        EXPECT_EQ(Dialogs.Asked[0].Text, question);
        EXPECT_EQ(Dialogs.Asked[0].Alert, alert) << question.toStdString();
    }
    // A link to a folder is no folder to whoever asks before deleting.
    EXPECT_EQ(isDir, (QStringList{"0", "0", "0", "0"}));
    EXPECT_TRUE(QFileInfo(Path("broken")).isSymLink() && QFileInfo(Path("dirlink")).isSymLink());
    EXPECT_EQ(Read(Path("a.txt")), "alpha");
}

TEST_F(LocalEdit, ABrokenLinkShowsAsALinkAndCanBeDeleted)
{
    ASSERT_TRUE(QFile::link(Path("gone"), Path("broken")));
    ASSERT_TRUE(QFile::link(Path("sub"), Path("dirlink")));
    View.Refresh();
    EXPECT_EQ(Cell(Row("broken"), 2), "Broken link");
    QStringList ghosted;
    for (int row = 0; row < View.ItemCount(); ++row)
        if (View.model()->index(row, 0).data(TFileListModel::GhostedRole).toBool()) ghosted << Cell(row, 0);
    EXPECT_EQ(ghosted, (QStringList{"dirlink", "broken"}));

    // The trash refuses a link whose target is gone: it is removed instead.
    Dialogs.Answer(mrYes);
    SelectNamed({"broken"});
    QTest::keyClick(&View, Qt::Key_Delete);
    EXPECT_FALSE(TLocalFolder::Exists(Path("broken")));
    EXPECT_EQ(Row("broken"), -1);
    EXPECT_EQ(Dialogs.Asked.size(), 1u);  // the question, and no error
}

// Removing for good stays inside the folder: a volume mounted within it
// (a bind mount of data kept elsewhere) is not emptied.
TEST_F(LocalEdit, RemovingAFolderForGoodNeverEmptiesAVolumeMountedInIt)
{
    MakeFile("elsewhere/precious.txt", "keep me");
    MakeDir("sub/mnt");
    if (::mount(QFile::encodeName(Path("elsewhere")).constData(),
                QFile::encodeName(Path("sub/mnt")).constData(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "bind mounts are not allowed here";
    const auto unmount =
        qScopeGuard([this] { ::umount2(QFile::encodeName(Path("sub/mnt")).constData(), MNT_DETACH); });
    View.SetFileActionFlags({});

    EXPECT_FALSE(View.DeleteItems(Row("sub"), false));
    EXPECT_EQ(Read(Path("elsewhere/precious.txt")), "keep me");
    EXPECT_EQ(Read(Path("sub/inner/deep.txt")), "deep");
    EXPECT_GE(Row("sub"), 0);
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_TRUE(Dialogs.Asked[0].Text.contains(Path("sub/mnt"))) << Dialogs.Asked[0].Text.toStdString();
}

// A name that is not valid UTF-8 shows with a replacement character; it must
// not lead to the entry whose real name is what is shown.
TEST_F(LocalEdit, ANameThatIsNotUtf8IsNeverTakenForItsLookAlike)
{
    const QString shown = QString("a") + QChar(0xFFFD);
    const QByteArray raw = QFile::encodeName(Path("a")) + "\xff";
    ASSERT_EQ(::mkdir(raw.constData(), 0700), 0);
    const auto remove = qScopeGuard([&] { ::rmdir(raw.constData()); });  // Qt cannot name it
    MakeFile(shown, "look-alike");
    View.Refresh();
    View.SetFileActionFlags({});
    int row = -1;
    for (int i = 0; i < View.ItemCount(); ++i)
        if (Cell(i, 0) == shown && View.IsDirectoryItem(i)) row = i;
    ASSERT_GE(row, 0);

    EXPECT_FALSE(View.DeleteItems(row, false));
    QString name = "renamed";
    EXPECT_FALSE(View.RenameItem(row, name));
    EXPECT_EQ(Read(Path(shown)), "look-alike");
    EXPECT_FALSE(QFileInfo::exists(Path("renamed")));
    struct stat info {};
    EXPECT_EQ(::stat(raw.constData(), &info), 0);
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_TRUE(Dialogs.Asked[0].Text.startsWith("Cannot delete \"" + shown + "\""))
        << Dialogs.Asked[0].Text.toStdString();
}

TEST_F(LocalEdit, ADeletionThatPartlyFailsSaysSoAndListsWhatIsLeft)
{
    View.SetFileActionFlags({});
    ASSERT_TRUE(QFile::remove(Path("a.txt")));  // gone behind the view's back
    SelectNamed({"a.txt", "b.txt"});
    EXPECT_FALSE(View.DeleteItems(-1, true));
    EXPECT_FALSE(QFileInfo::exists(Path("b.txt")));
    EXPECT_EQ(Row("b.txt"), -1);
    EXPECT_GE(Row("a.txt"), 0);
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_EQ(Dialogs.Asked[0].Kind, bkMessage);
    EXPECT_TRUE(Dialogs.Asked[0].Text.startsWith("Could not delete:\r\n\"a.txt\": "))
        << Dialogs.Asked[0].Text.toStdString();
}

}  // namespace
