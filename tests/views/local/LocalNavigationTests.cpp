// Folder changes of the local pane: opening, going up, the events, and the
// fall-backs when a folder cannot be listed.
#include "LocalViewFixture.h"

#include <QDir>
#include <QTest>

namespace {

class LocalNavigation : public LocalView {
protected:
    void SetUp() override
    {
        LocalView::SetUp();
        MakeFile("a/in-a.txt");
        MakeFile("b/in-b.txt");
        MakeFile("b/c/in-c.txt");
        View.OnDirectoryChange = [this](TCustomFileListView*, const QString& old) {
            Events << "dir " + Relative(old) + " -> " + Relative(View.Directory());
        };
    }

    QString Relative(const QString& path) const
    {
        return path.startsWith(Root.path()) ? "~" + path.mid(Root.path().size()) : path;
    }

    QStringList Events;
};

TEST_F(LocalNavigation, DirectoriesSetBeforeShowingOpenWhenShown)
{
    View.SetDirectory(Path("a"));
    EXPECT_EQ(View.Directory(), "");
    EXPECT_EQ(View.ItemCount(), 0);
    View.show();
    EXPECT_EQ(View.Directory(), Path("a"));
    EXPECT_EQ(Captions(), QStringList{"in-a.txt"});
}

TEST_F(LocalNavigation, OpensFoldersAndGoesUpWithTheirEvents)
{
    Open("b");
    QStringList previous;
    View.OnDirectoryChangePIDL = [&](TCustomFileListView*, const QString& id) { previous << Relative(id); };
    QStringList ups;
    View.OnGotoUpperDirectory = [&](TCustomFileListView*, const QString& dir) { ups << Relative(dir); };
    int driveChanges = 0;
    View.OnDriveChange = [&](TCustomFileListView*, const QString&) { ++driveChanges; };

    EXPECT_TRUE(View.OpenDirectory("c"));
    EXPECT_EQ(Captions(), QStringList{"in-c.txt"});
    EXPECT_FALSE(View.OpenDirectory("missing"));
    EXPECT_FALSE(View.OpenDirectory("in-c.txt"));
    EXPECT_TRUE(View.GotoUpperDirectory());
    EXPECT_EQ(Captions(), (QStringList{"c", "in-b.txt"}));
    QTest::keyClick(&View, Qt::Key_Backspace);
    EXPECT_EQ(View.Directory(), Root.path());

    EXPECT_EQ(previous, (QStringList{"~/b", "~/b/c", "~/b"}));
    EXPECT_EQ(ups, (QStringList{"~/b", "~"}));
    EXPECT_EQ(driveChanges, 0);  // all on one volume
    EXPECT_EQ(Events.mid(1), (QStringList{"dir ~/b -> ~/b/c", "dir ~/b/c -> ~/b", "dir ~/b -> ~"}));
}

TEST_F(LocalNavigation, SetDirectoryIgnoresWhatIsNoFolder)
{
    Open("a");
    Events.clear();
    View.SetDirectory(Path("missing"));
    View.SetDirectory(Path("a/in-a.txt"));
    View.SetDirectory(Path("a/../a"));  // the folder shown already
    EXPECT_TRUE(Events.isEmpty()) << Events.join(", ").toStdString();
    EXPECT_EQ(View.Directory(), Path("a"));
    EXPECT_FALSE(View.BrowseTo(Path("a/in-a.txt")));
    EXPECT_EQ(View.Directory(), Path("a"));
}

TEST_F(LocalNavigation, EnteringAFolderByDoubleClickOrEnterAndOpeningAFile)
{
    Open("b");
    QStringList opened;
    View.OnItemDblClick = [&](TCustomFileListView* sender, Qt::MouseButton, int item) {
        opened << static_cast<TFileListView*>(sender)->ItemPath(item);
    };
    SelectNamed({"in-b.txt"});
    QTest::keyClick(&View, Qt::Key_Return);
    EXPECT_EQ(opened, QStringList{Path("b/in-b.txt")});
    EXPECT_EQ(View.Directory(), Path("b"));

    const QPoint centre = View.visualRect(View.model()->index(Row("c"), 0)).center();
    QTest::mouseDClick(View.viewport(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(View.Directory(), Path("b/c"));
    EXPECT_EQ(opened.size(), 1);
}

// Running as root, permissions never stop a listing, so these use a folder
// that has gone away since it was shown: the listing cannot start, which is
// the same path a refused folder takes.
TEST_F(LocalNavigation, AFolderThatCannotBeListedFallsBackToThePreviousOne)
{
    Open("a");
    View.SetDirectory(Path("b"));
    ASSERT_EQ(Captions(), (QStringList{"c", "in-b.txt"}));
    ASSERT_TRUE(QDir(Path("b")).removeRecursively());
    Events.clear();

    EXPECT_FALSE(View.RefreshList());
    EXPECT_EQ(View.Directory(), Path("a"));
    EXPECT_EQ(Captions(), QStringList{"in-a.txt"});
    EXPECT_EQ(Events, QStringList{"dir ~/b -> ~/a"});
}

TEST_F(LocalNavigation, WhenThePreviousFolderIsGoneTooTheHomeFolderIsShown)
{
    MakeFile("home/in-home.txt");
    const TScopedEnv home("HOME", Path("home"));
    Open("a");
    View.SetDirectory(Path("b/c"));
    ASSERT_TRUE(QDir(Path("a")).removeRecursively());
    ASSERT_TRUE(QDir(Path("b")).removeRecursively());

    QTest::keyClick(&View, Qt::Key_F5);
    EXPECT_EQ(View.Directory(), Path("home"));
    EXPECT_EQ(Captions(), QStringList{"in-home.txt"});

    // Without a home folder the last resort is "/".
    View.SetDirectory(Path("a"));  // gone: nothing happens
    MakeDir("d");
    View.SetDirectory(Path("d"));
    ASSERT_TRUE(QDir(Path("d")).removeRecursively());
    ASSERT_TRUE(QDir(Path("home")).removeRecursively());
    EXPECT_FALSE(View.RefreshList());
    EXPECT_EQ(View.Directory(), "/");
    EXPECT_GT(View.ItemCount(), 0);
}

}  // namespace
