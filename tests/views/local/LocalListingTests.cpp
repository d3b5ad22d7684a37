// Listing, sorting, sizes and the computer level of the local pane.
#include "LocalViewFixture.h"
#include "views/local/LocalVolumes.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeDatabase>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// Files and folders alike (a folder cannot be opened to set its time).
void SetWritten(const QString& path, int year)
{
    const qint64 seconds = QDateTime(QDate(year, 6, 1), QTime(12, 0)).toSecsSinceEpoch();
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0) << path.toStdString();
}

class LocalListing : public LocalView {
protected:
    void SetUp() override
    {
        LocalView::SetUp();
        MakeDir("beta");
        MakeDir("alpha");
        MakeFile("c.txt", QByteArray(300, 'c'));
        MakeFile("a.pdf", QByteArray(5000, 'a'));
        MakeFile("b.doc", QByteArray(10, 'b'));
        MakeFile("empty.txt");
        SetWritten(Path("c.txt"), 2021);
        SetWritten(Path("a.pdf"), 2019);
        SetWritten(Path("b.doc"), 2020);
        SetWritten(Path("empty.txt"), 2022);
        // Folders of one date keep the order of their names.
        SetWritten(Path("beta"), 2018);
        SetWritten(Path("alpha"), 2018);
    }
};

TEST_F(LocalListing, ListsFoldersFirstAndSortsByEachKey)
{
    Open();
    EXPECT_EQ(Captions(), (QStringList{"alpha", "beta", "a.pdf", "b.doc", "c.txt", "empty.txt"}));
    View.SetSortType(stSize);
    EXPECT_EQ(Captions(), (QStringList{"alpha", "beta", "empty.txt", "b.doc", "c.txt", "a.pdf"}));
    View.SetSortType(stDate);
    EXPECT_EQ(Captions(), (QStringList{"alpha", "beta", "a.pdf", "b.doc", "c.txt", "empty.txt"}));

    View.SetSortType(stType);
    QStringList types;
    for (int row = 2; row < View.ItemCount(); ++row)
        types << View.GetItemInfo(row).TypeName;
    QStringList sorted = types;
    std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    EXPECT_EQ(types, sorted);
    EXPECT_EQ(Captions().mid(0, 2), (QStringList{"alpha", "beta"}));
}

TEST_F(LocalListing, ShowsSizeTypeAndDateOfEachItem)
{
    Open();
    const int folder = Row("alpha");
    const int text = Row("c.txt");
    EXPECT_EQ(Cell(text, 1), "1 kB");  // 300 bytes: rounds to 0, shown as at least 1
    EXPECT_EQ(Cell(Row("a.pdf"), 1), "5 kB");
    EXPECT_EQ(Cell(Row("empty.txt"), 1), "0 kB");
    EXPECT_EQ(Cell(folder, 1), "");
    const QMimeDatabase mimes;
    EXPECT_EQ(Cell(folder, 2), mimes.mimeTypeForName("inode/directory").comment());
    EXPECT_EQ(Cell(text, 2), mimes.mimeTypeForName("text/plain").comment());
    EXPECT_NE(Cell(folder, 2), Cell(text, 2));

    TDateTime expected = 0;
    ASSERT_TRUE(TryEncodeDateTime(2021, 6, 1, 12, 0, 0, expected));
    const TItemInfo info = View.GetItemInfo(text);
    EXPECT_EQ(info.Name, "c.txt");
    EXPECT_EQ(info.Size, 300u);
    EXPECT_NEAR(info.Date, expected, 1e-6);
    EXPECT_TRUE(Cell(text, 3).contains("21")) << Cell(text, 3).toStdString();
    EXPECT_EQ(View.ItemPath(text), Path("c.txt"));
    EXPECT_TRUE(View.IsDirectoryItem(folder));
    EXPECT_FALSE(View.IsDirectoryItem(text));
    EXPECT_EQ(View.GetItemInfo(99).Name, "");
}

TEST_F(LocalListing, HiddenEntriesFollowFileAttributes)
{
    MakeFile(".profile");
    MakeDir(".cache");
    Open();
    EXPECT_GE(Row(".profile"), 0);
    EXPECT_GE(Row(".cache"), 0);
    View.SetFileAttributes(faFolders | faNormal);
    EXPECT_EQ(Row(".profile"), -1);
    EXPECT_EQ(Row(".cache"), -1);
    View.SetFileAttributes(faNormal);
    EXPECT_EQ(Captions(), (QStringList{"a.pdf", "b.doc", "c.txt", "empty.txt"}));
}

TEST_F(LocalListing, AFileOfFourGibibytesShowsItsRealSize)
{
    const quint64 big = (quint64(4) << 30) + 1536;  // low 32 bits: 1536
    {
        QFile file(Path("big.iso"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(qint64(big)));  // sparse: takes no room
    }
    MakeFile("small.bin", QByteArray(2000, 's'));
    Open();
    EXPECT_EQ(View.GetItemInfo(Row("big.iso")).Size, big);
    // 4194305.5 kB: the half goes to the even neighbour.
    EXPECT_EQ(Cell(Row("big.iso"), 1), "4194306 kB");
    View.SetSortType(stSize);
    EXPECT_EQ(Captions().last(), "big.iso");
}

TEST_F(LocalListing, BusyShowsTheHourglassOverTheWholeApplicationOnce)
{
    Open();
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    View.BeginBusy();
    View.BeginBusy();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    View.Refresh();  // busy inside busy
    View.EndBusy();
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    View.EndBusy();
    View.EndBusy();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(LocalComputerLevel, ListsTheVolumesWithSlashFirstAndNoTypeOrSize)
{
    TFileListView view;
    view.SetCanBrowseToRoot(true);
    view.SetStartUpDir(sdMyComputer);
    view.show();
    ASSERT_TRUE(view.InComputerFolder());
    EXPECT_EQ(view.Directory(), "");
    EXPECT_TRUE(view.IsAtTop());
    EXPECT_FALSE(view.GotoUpperDirectory());

    const QList<TLocalVolume> volumes = TLocalVolumes::Mounted();
    ASSERT_EQ(view.ItemCount(), volumes.size());
    EXPECT_EQ(view.ItemPath(0), "/");
    for (int row = 0; row < view.ItemCount(); ++row) {
        EXPECT_EQ(view.model()->index(row, 0).data().toString(), volumes[row].DisplayName());
        EXPECT_EQ(view.model()->index(row, 1).data().toString(), "");
        EXPECT_EQ(view.model()->index(row, 2).data().toString(), "");
        EXPECT_TRUE(view.IsDirectoryItem(row));
        EXPECT_EQ(view.ItemCapabilities(row, false), TItemCapabilities(icCanCopy));
    }
    // Sorting keeps the volumes' order.
    view.SetSortType(stSize);
    EXPECT_EQ(view.ItemPath(0), "/");

    // A volume is never deleted, renamed or given a new folder.
    EXPECT_FALSE(view.DeleteItems(0, false));
    QString name = "renamed";
    EXPECT_FALSE(view.RenameItem(0, name));
    EXPECT_EQ(name, volumes[0].DisplayName());
    EXPECT_EQ(view.CreateDirectory("x", false, false), -1);
    EXPECT_TRUE(QFileInfo("/").isDir());

    view.selectionModel()->setCurrentIndex(view.model()->index(0, 0),
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(view.Directory(), "/");
    EXPECT_FALSE(view.InComputerFolder());
}

TEST(LocalComputerLevel, GoingUpFromSlashNeedsCanBrowseToRoot)
{
    TFileListView view;
    view.SetCanBrowseToRoot(false);
    view.SetDirectory("/");
    view.show();
    ASSERT_EQ(view.Directory(), "/");
    EXPECT_TRUE(view.IsAtTop());
    EXPECT_FALSE(view.GotoUpperDirectory());
    EXPECT_EQ(view.Directory(), "/");

    view.SetCanBrowseToRoot(true);
    EXPECT_FALSE(view.IsAtTop());
    QStringList ups;
    view.OnGotoUpperDirectory = [&](TCustomFileListView*, const QString& dir) { ups << dir; };
    EXPECT_TRUE(view.GotoUpperDirectory());
    EXPECT_TRUE(view.InComputerFolder());
    EXPECT_EQ(ups, QStringList{""});
}

}  // namespace
