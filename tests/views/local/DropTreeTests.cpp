// The grouping of dropped paths, the trees of local folders and the volume rules.
#include "LocalViewFixture.h"
#include "views/local/DropTree.h"
#include "views/local/LocalFolder.h"
#include "views/local/LocalVolumes.h"
#include "views/tree/Directory.h"
#include "views/tree/DirectoryList.h"

#include <QDir>
#include <QFile>
#include <QSet>

namespace {

// One group as "path|name|files|dirs", the trees by name.
QString Describe(const TDirectory& group)
{
    QStringList dirs;
    for (int i = 0; i < group.Contents.DirectoryCount(); ++i)
        dirs << group.Contents.GetDirectory(i)->Name;
    return QString("%1|%2|%3|%4").arg(group.Path, group.Name, group.Contents.Files.join(','), dirs.join(','));
}

QStringList Describe(const TDirectoryList& list)
{
    QStringList groups;
    for (int i = 0; i < list.Count(); ++i)
        groups << Describe(*list.Get(i));
    return groups;
}

// Folders are the names in folders; "bad" folders cannot be read and
// "/boom" throws.
TDropTreeSource FakeDisk(const QSet<QString>& folders)
{
    return {[folders](const QString& path) { return folders.contains(path); },
            [](const QString& path) -> std::unique_ptr<TDirectory> {
                if (path.endsWith("/bad")) return nullptr;
                if (path == "/boom") throw std::runtime_error("boom");
                auto tree = std::make_unique<TDirectory>(path.section('/', -1));
                tree->Path = path;
                return tree;
            }};
}

TEST(DropTree, GroupsConsecutivePathsByTheirFolder)
{
    const QSet<QString> folders{"/sub", "/d/y", "/d/bad", "/boom", "/d/e/f"};
    const struct {
        QStringList Paths;
        QStringList Groups;
    } cases[] = {
        {{"/a.txt", "/b.txt", "/sub"}, {"/||a.txt,b.txt|sub"}},
        {{"/A/x", "/B/y", "/A/z"}, {"/A|A|x|", "/B|B|y|", "/A|A|z|"}},
        {{"/d/x.txt", "/d/y/", "/d//w.txt"}, {"/d|d|x.txt,w.txt|y"}},
        {{"/d/X/f", "/d/x/g"}, {"/d/X|X|f|", "/d/x|x|g|"}},  // two folders here
        {{"/d/bad", "/d/f"}, {"/d|d|f|"}},
        {{"/d/e/f", "/d/e/g.txt", "/d/h"}, {"/d/e|e|g.txt|f", "/d|d|h|"}},
        {{"/a/f", "/boom", "/c/g"}, {"/a|a|f|"}},
        {{}, {}},
    };
    for (const auto& [paths, groups] : cases) {
        TDirectoryList list(true);
        BuildDropTree(paths, list, FakeDisk(folders));
        EXPECT_EQ(Describe(list), groups) << paths.join(' ').toStdString();
    }
}

class LocalTrees : public LocalView {};

TEST_F(LocalTrees, DroppedFoldersBecomeWholeTreesWithHiddenEntries)
{
    MakeFile("top.txt");
    MakeFile("pics/one.png");
    MakeFile("pics/.hidden");
    MakeFile("pics/raw/two.raw");
    ASSERT_TRUE(QFile::link(Path("pics"), Path("pics/raw/loop")));  // leads back up

    TDirectoryList list(true);
    TFileListView::BuildDropTree({Path("top.txt"), Path("pics")}, list);
    ASSERT_EQ(list.Count(), 1);
    const TDirectory& group = *list.Get(0);
    EXPECT_EQ(group.Path, Root.path());
    EXPECT_EQ(group.Contents.Files, QStringList{"top.txt"});
    ASSERT_EQ(group.Contents.DirectoryCount(), 1);
    const TDirectory& pics = *group.Contents.GetDirectory(0);
    EXPECT_EQ(Describe(pics), Path("pics") + "|pics|.hidden,one.png|raw");
    const TDirectory& raw = *pics.Contents.GetDirectory(0);
    EXPECT_EQ(Describe(raw), Path("pics/raw") + "|raw|two.raw|loop");
    EXPECT_TRUE(raw.Contents.GetDirectory(0)->IsEmpty());
}

// Every file path of a tree, relative to its top, folders with a "/".
void CollectFiles(const TDirectory& tree, const QString& prefix, QStringList& files)
{
    for (const QString& file : tree.Contents.Files)
        files << prefix + file;
    for (int i = 0; i < tree.Contents.DirectoryCount(); ++i) {
        const TDirectory& sub = *tree.Contents.GetDirectory(i);
        CollectFiles(sub, prefix + sub.Name + "/", files);
    }
}

TEST_F(LocalTrees, LinksBackIntoTheWalkEndAndBrokenLinksAreLeftOut)
{
    MakeFile("top/a.txt");
    MakeFile("top/sub/b.txt");
    MakeFile("outside/o.txt");
    ASSERT_TRUE(QFile::link(Path("top"), Path("top/self")));           // the top itself
    ASSERT_TRUE(QFile::link(Path("top"), Path("top/sub/parent")));     // the folder above
    ASSERT_TRUE(QFile::link(Path("outside"), Path("top/ext")));        // outside: followed
    ASSERT_TRUE(QFile::link(Path("outside"), Path("outside/again")));  // and its own loop
    ASSERT_TRUE(QFile::link(Path("nowhere"), Path("top/dead")));
    ASSERT_TRUE(QFile::link(Path("outside/o.txt"), Path("top/sub/o-link")));  // a file through a link

    // Read from the top and from a link to it alike.
    ASSERT_TRUE(QFile::link(Path("top"), Path("top-link")));
    for (const QString& start : {Path("top"), Path("top-link")}) {
        SCOPED_TRACE(start.toStdString());
        const std::unique_ptr<TDirectory> tree = TLocalFolder::ReadTree(start, true);
        ASSERT_TRUE(tree);
        QStringList files;
        CollectFiles(*tree, {}, files);
        files.sort();
        EXPECT_EQ(files, (QStringList{"a.txt", "ext/o.txt", "sub/b.txt", "sub/o-link"}));
    }
}

TEST_F(LocalTrees, TheViewExportsSelectedItemsAsTrees)
{
    MakeFile("pics/one.png");
    MakeFile("pics/raw/two.raw");
    MakeFile("notes.txt");
    Open();
    View.SetFileAttributes(faFolders | faNormal);
    SelectNamed({"pics", "notes.txt"});

    const std::unique_ptr<TDirectory> flat = View.GetDirectoryTree(false, true);
    EXPECT_EQ(Describe(*flat), Root.path() + "||notes.txt|pics");
    EXPECT_TRUE(flat->Contents.GetDirectory(0)->IsEmpty());

    const std::unique_ptr<TDirectory> deep = View.GetDirectoryTree(true, true);
    const TDirectory& pics = *deep->Contents.GetDirectory(0);
    EXPECT_EQ(Describe(pics), Path("pics") + "|pics|one.png|raw");
    EXPECT_EQ(pics.Contents.GetDirectory(0)->Contents.Files, QStringList{"two.raw"});
}

TEST(LocalVolumeRules, OnlyRealFileSystemsCount)
{
    const struct {
        const char* Root;
        const char* Device;
        const char* Type;
        bool Real;
    } cases[] = {
        {"/", "overlay", "overlay", true},
        {"/home", "/dev/sda2", "ext4", true},
        {"/run/media/u/STICK", "/dev/sdb1", "vfat", true},
        {"/mnt/share", "//server/share", "cifs", true},
        {"/mnt/nfs", "server:/export", "nfs4", true},
        {"/proc", "proc", "proc", false},
        {"/sys/fs/cgroup", "cgroup2", "cgroup2", false},
        {"/dev/shm", "shm", "tmpfs", false},
        {"/snap/core/1", "/dev/loop3", "squashfs", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TLocalVolumes::IsRealVolume(c.Root, c.Device, c.Type), c.Real) << c.Root;
}

TEST(LocalVolumeRules, APathLiesOnTheVolumeWithTheLongestRoot)
{
    const QStringList roots{"/", "/home", "/home/u/usb", "/media"};
    const std::pair<const char*, const char*> cases[] = {
        {"/home/u/usb/x", "/home/u/usb"},    {"/home/u/usb", "/home/u/usb"},
        {"/home/u/usbkey", "/home"},         {"/homework", "/"},
        {"/home/u/../../media/a", "/media"}, {"relative/path", ""},
    };
    for (const auto& [path, root] : cases)
        EXPECT_EQ(TLocalVolumes::RootOf(path, roots), root) << path;
}

}  // namespace
