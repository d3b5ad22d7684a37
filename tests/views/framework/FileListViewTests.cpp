#include "TestFileListView.h"
#include "views/framework/FileListModel.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

TEST(FileListView, DerivedFieldsWaitUntilARowIsShownOrAskedFor)
{
    TTestFileListView view;
    view.resize(300, 150);
    QList<TTestEntry> many;
    for (int i = 0; i < 500; ++i)
        many << TTestEntry{QString("f%1.txt").arg(i, 3, 10, QChar('0'))};
    view.ShowEntries(many);
    // A sort by name needs none; at most the focused first row is measured.
    EXPECT_LE(view.Updated, 1);
    const int listed = view.Updated;

    EXPECT_EQ(view.model()->index(250, 2).data().toString(), "TXT file");
    EXPECT_EQ(view.Updated, listed + 1);
    EXPECT_EQ(view.GetItemInfo(400).TypeName, "TXT file");
    EXPECT_EQ(view.Updated, listed + 2);
    EXPECT_EQ(view.GetItemInfo(500).Name, "");

    view.show();
    view.viewport()->grab();
    EXPECT_GT(view.Updated, listed + 4);
    EXPECT_LT(view.Updated, 60);  // only the rows on screen

    view.SetSortType(stSize);
    EXPECT_EQ(view.Updated, 500);
}

TEST(FileListView, SortsDirectoriesFirstThenByEachKey)
{
    const std::pair<TSortType, QStringList> cases[] = {
        {stName, {"zdir", "A.pdf", "b.txt", "c.doc"}},
        {stType, {"zdir", "c.doc", "A.pdf", "b.txt"}},
        {stSize, {"zdir", "c.doc", "b.txt", "A.pdf"}},
        {stDate, {"zdir", "A.pdf", "c.doc", "b.txt"}},
    };
    for (const auto& [key, expected] : cases) {
        TTestFileListView view;
        view.SetSortType(key);  // nothing to sort yet
        view.ShowEntries(Mixed());
        EXPECT_EQ(view.Names(), expected) << key;
    }
}

TEST(FileListView, SortTypeSortsAgainOnlyWhenItChanges)
{
    TTestFileListView view;
    view.ShowEntries(Mixed());
    view.SetSortType(stDate);
    EXPECT_EQ(view.Names(), (QStringList{"zdir", "A.pdf", "c.doc", "b.txt"}));
    const int compares = view.Compares;
    view.SetSortType(stDate);
    EXPECT_EQ(view.Compares, compares);

    // A comparison that throws counts the items as equal and loses none.
    view.ThrowInCompare = true;
    EXPECT_NO_THROW(view.SetSortType(stName));
    EXPECT_EQ(view.Names(), (QStringList{"zdir", "A.pdf", "c.doc", "b.txt"}));

    // The selection and the focus stay with their items, so a key pressed
    // next acts on what the user chose.
    view.ThrowInCompare = false;
    const QItemSelection firstTwo(view.model()->index(0, 0), view.model()->index(1, 0));
    view.selectionModel()->select(firstTwo, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view.selectionModel()->setCurrentIndex(view.model()->index(2, 0), QItemSelectionModel::NoUpdate);
    view.SetSortType(stSize);
    ASSERT_EQ(view.Names(), (QStringList{"zdir", "c.doc", "b.txt", "A.pdf"}));
    EXPECT_EQ(view.SelectedItems(), (QList<int>{0, 3}));
    EXPECT_EQ(view.FocusedItem(), 1);
    EXPECT_EQ(view.model()->index(3, 0).data().toString(), "A.pdf");
}

TEST(FileListView, FindsWholeNamesAndMakesUniqueOnes)
{
    TTestFileListView view;
    view.ShowEntries(
        {{"ABC"}, {"abcdef"}, {"Readme.TXT"}, {"dir", true}, {"new_directory", true}, {"NEW_DIRECTORY_2"}});
    const QStringList names = view.Names();
    const struct {
        const char* Name;
        bool CaseSensitive;
        const char* Found;
    } cases[] = {
        {"abc", false, "ABC"},
        {"abc", true, nullptr},
        {"ABC", true, "ABC"},
        {"abcdef", true, "abcdef"},
        {"readme.txt", false, "Readme.TXT"},
        {"readme", false, nullptr},
        {"", false, nullptr},
    };
    for (const auto& c : cases)
        EXPECT_EQ(view.FindItem(c.Name, c.CaseSensitive), c.Found ? names.indexOf(c.Found) : -1) << c.Name;
    EXPECT_TRUE(view.IsDirectoryName("DIR", false));
    EXPECT_FALSE(view.IsDirectoryName("DIR", true));
    EXPECT_FALSE(view.IsDirectoryName("abc", false));
    EXPECT_TRUE(view.IsFileName("abc", false));
    EXPECT_FALSE(view.IsFileName("dir", false));
    EXPECT_FALSE(view.IsFileName("missing", false));
    EXPECT_EQ(view.MakeUniqueName("new_directory", "_%d"), "new_directory_3");
    EXPECT_EQ(view.MakeUniqueName("fresh", "_%d"), "fresh");
}

TEST(FileListView, TypeAheadFindsPrefixesAndKeepsToTheSelectedKind)
{
    TTestFileListView view;
    EXPECT_EQ(view.FindItemData(fkPartial, "a", 0, true), -1);  // no items
    view.ShowEntries({{"beta"}, {"about.txt"}, {"bdir", true}, {"able.doc"}, {"adir", true}});
    ASSERT_EQ(view.Names(), (QStringList{"adir", "bdir", "able.doc", "about.txt", "beta"}));
    const struct {
        int Selected;
        const char* Text;
        int Start;
        bool Wrap;
        int Expected;
    } cases[] = {
        {-1, "AB", 0, true, 2},
        {-1, "ab", 3, true, 3},
        {-1, "ab", 4, true, 2},
        {-1, "ab", 4, false, -1},
        {-1, "B", 0, true, 1},
        {-1, "x", 0, true, -1},
        // With a file selected, directories are passed over, and the other way round.
        {2, "a", 0, true, 2},
        {2, "b", 0, true, 4},
        {0, "ab", 0, true, -1},
        {0, "b", 2, true, 1},
    };
    for (const auto& c : cases) {
        view.selectionModel()->clear();
        if (c.Selected >= 0)
            view.selectionModel()->select(view.model()->index(c.Selected, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        EXPECT_EQ(view.FindItemData(fkString, c.Text, c.Start, c.Wrap), c.Expected)
            << c.Text << " from " << c.Start << " selected " << c.Selected;
    }
    EXPECT_EQ(view.FindItemData(fkParam, "a", 0, true), -1);
    EXPECT_EQ(view.FindItemData(fkNearest, "a", 0, true), -1);
}

TEST(FileListView, BusyNestsAndOnlyTheOutermostLevelIsSeen)
{
    TTestFileListView view;
    view.BeginBusy();  // no handlers assigned: nothing to call
    view.EndBusy();
    QStringList seen;
    view.OnBusy = [&](TCustomFileListView* sender) { seen << (sender == &view ? "busy" : "?"); };
    view.OnReady = [&](TCustomFileListView*) { seen << "ready"; };
    const Qt::CursorShape before = view.cursor().shape();
    view.BeginBusy();
    view.BeginBusy();
    EXPECT_EQ(view.cursor().shape(), Qt::WaitCursor);
    view.EndBusy();
    EXPECT_TRUE(view.IsBusy());
    view.EndBusy();
    view.EndBusy();  // surplus: harmless
    EXPECT_FALSE(view.IsBusy());
    EXPECT_EQ(view.cursor().shape(), before);
    EXPECT_EQ(seen, (QStringList{"busy", "ready"}));
    view.BeginBusy();
    EXPECT_EQ(seen.size(), 3);  // the counter really went back to 0
}

TEST(FileListView, DirectoryChangesReachTheHandlerAndTheControl)
{
    TTestFileListView view;
    QStringList olds;
    view.OnDirectoryChange = [&](TCustomFileListView*, const QString& old) { olds << old; };
    auto* combo = new QComboBox;
    combo->setEditable(true);
    view.SetDirectoryControl(combo);
    view.SetDirectory("/pub");
    view.SetDirectory("/pub/linux");
    EXPECT_EQ(olds, (QStringList{"", "/pub"}));
    EXPECT_EQ(view.Directory(), "/pub/linux");
    EXPECT_EQ(combo->currentText(), "/pub/linux");
    delete combo;
    EXPECT_EQ(view.DirectoryControl(), nullptr);
    view.SetDirectory("/");  // a destroyed control is not touched
    QLineEdit edit;
    view.SetDirectoryControl(&edit);
    view.SetDirectory("");
    EXPECT_EQ(edit.text(), "");
    view.SetDirectory("/home");
    EXPECT_EQ(edit.text(), "/home");
}

// The first item is selected too, so Enter acts on it at once.
TEST(FileListView, RefreshShowsTheRecordsWithTheFirstFocusedAndSelected)
{
    TTestFileListView view;
    int refreshed = 0, deleted = 0;
    view.OnRefreshList = [&](TCustomFileListView*) { ++refreshed; };
    view.OnDeleteItem = [&](TCustomFileListView*) { ++deleted; };
    view.ShowEntries(Mixed());
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(view.ItemCount(), 4);
    EXPECT_EQ(view.FocusedItem(), 0);
    EXPECT_EQ(view.SelectedItems(), QList<int>{0});

    view.selectAll();
    view.DeleteItems(-1, true);
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(view.ItemCount(), 0);
    EXPECT_EQ(view.Freed, 4);
    EXPECT_EQ(view.FocusedItem(), -1);

    view.ShowEntries({});
    EXPECT_EQ(refreshed, 2);
    EXPECT_EQ(view.FocusedItem(), -1);
}

TEST(FileListView, ACancelledDeletionKeepsTheItems)
{
    TTestFileListView view;
    view.ShowEntries(Mixed());
    int askedCount = -1;
    QString askedName;
    bool askedDir = true;
    view.OnDeleting = [&](TCustomFileListView*, int count, const QString& name, bool isDir, bool& canDelete) {
        EXPECT_TRUE(canDelete);
        askedCount = count, askedName = name, askedDir = isDir;
        canDelete = false;
    };
    view.selectionModel()->select(view.model()->index(1, 0),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_FALSE(view.DeleteItems(1, false));
    EXPECT_EQ(askedCount, 1);
    EXPECT_EQ(askedName, "A.pdf");
    EXPECT_FALSE(askedDir);
    EXPECT_EQ(view.ItemCount(), 4);
}

TEST(FileListView, FileAttributesRefreshOnlyWhenTheyChange)
{
    TTestFileListView view;
    view.Disk = Mixed();
    view.SetFileAttributes(faNormal);  // no window yet: nothing is listed
    EXPECT_TRUE(view.Calls.isEmpty());
    view.show();
    view.SetFileAttributes(faFolders);
    EXPECT_EQ(view.Names(), QStringList{"zdir"});
    view.SetFileAttributes(faFolders);
    EXPECT_EQ(view.Calls, QStringList{"Refresh"});
}

TEST(FileListView, ColumnsOfTheOwnerKeepTheirWidthsOthersShareTheWidth)
{
    TTestFileListView plain;
    plain.resize(400, 200);
    plain.show();
    ASSERT_EQ(plain.header()->count(), 4);
    EXPECT_EQ(plain.model()->headerData(2, Qt::Horizontal).toString(), "Type");
    const int share = plain.viewport()->width() / 4;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(plain.header()->sectionSize(i), share) << i;

    TTestFileListView owned;
    owned.SetColumns({{"Name", Qt::AlignLeft, 125},
                      {"Size", Qt::AlignRight, 60},
                      {"Type", Qt::AlignLeft, 125},
                      {"Date", Qt::AlignLeft, 125},
                      {"Attributes", Qt::AlignLeft, 70}});
    owned.resize(400, 200);
    owned.show();
    const int widths[] = {125, 60, 125, 125, 70};
    ASSERT_EQ(owned.header()->count(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(owned.header()->sectionSize(i), widths[i]) << i;
}

TEST(FileListView, ExportsItemsAsADirectoryTree)
{
    TTestFileListView view;
    view.SetDirectory("/home/u");
    view.ShowEntries({{"f1.txt"}, {"d1", true}, {"bad", true}, {"f2.txt"}});
    ASSERT_EQ(view.Names(), (QStringList{"bad", "d1", "f1.txt", "f2.txt"}));

    auto flat = view.GetDirectoryTree(false, false);
    EXPECT_EQ(flat->Name, "");
    EXPECT_EQ(flat->Path, "/home/u");
    EXPECT_EQ(flat->Contents.Files, (QStringList{"f1.txt", "f2.txt"}));
    ASSERT_EQ(flat->Contents.DirectoryCount(), 2);
    EXPECT_EQ(flat->Contents.GetDirectory(1)->Name, "d1");
    EXPECT_TRUE(flat->Contents.GetDirectory(1)->IsEmpty());
    EXPECT_FALSE(view.Calls.join(',').contains("Tree"));

    QStringList seen;
    view.OnBusy = [&](TCustomFileListView*) { seen << "busy"; };
    view.OnReady = [&](TCustomFileListView*) { seen << "ready"; };
    view.UnreadableTrees = {"bad"};
    for (int row : {0, 1, 3})
        view.selectionModel()->select(view.model()->index(row, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    auto deep = view.GetDirectoryTree(true, true);
    EXPECT_EQ(seen, (QStringList{"busy", "ready"}));
    EXPECT_TRUE(view.Calls.contains("Tree bad busy=1"));
    EXPECT_EQ(deep->Contents.Files, QStringList{"f2.txt"});
    // The unreadable directory is left out rather than kept as an empty slot.
    ASSERT_EQ(deep->Contents.DirectoryCount(), 1);
    TDirectory* d1 = deep->Contents.GetDirectory(0);
    EXPECT_EQ(d1->Name, "d1");
    EXPECT_EQ(d1->Contents.Files, QStringList{"inner.txt"});
    EXPECT_EQ(d1->Contents.GetDirectory(0)->Name, "deeper");
}

}  // namespace
