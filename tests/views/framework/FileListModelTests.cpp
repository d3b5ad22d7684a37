#include "TestFileListView.h"
#include "views/framework/FileListModel.h"
#include "views/framework/FileListSource.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

namespace {

// Records without any view or window behind them.
class TPlainSource : public TFileListSource {
public:
    QStringList Names;
    int Fills = 0;
    int RowsAvailable() const override { return int(Names.size()); }
    void FillRow(int index, TListItem& item) override
    {
        ++Fills;
        item.Caption = Names[index];
        item.SubItems = {"1 kB"};  // fewer than the columns: the rest stays empty
        item.Ghosted = Names[index].startsWith("link");
    }
    bool RenameRow(int index, QString& newName) override
    {
        if (newName.contains('/')) {
            newName = Names[index];
            return false;
        }
        Names[index] = newName;
        return true;
    }
};

TEST(FileListModel, ServesItsSourceWithoutAWindow)
{
    TPlainSource source;
    TFileListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.SetColumns({{"Name", Qt::AlignLeft}, {"Size", Qt::AlignRight}, {"Type", Qt::AlignLeft}});
    model.SetSource(&source);
    source.Names = {"a.txt", "link", "c"};
    // The count is what the owner set, not the number of records.
    EXPECT_EQ(model.rowCount(), 0);
    model.SetItemCount(2);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), "a.txt");
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), "1 kB");
    EXPECT_EQ(model.data(model.index(0, 2)).toString(), "");
    EXPECT_TRUE(model.data(model.index(1, 0), TFileListModel::GhostedRole).toBool());
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Size");
    EXPECT_TRUE(model.headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
                Qt::AlignRight);
    EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);

    model.AppendItems(1);
    EXPECT_EQ(model.data(model.index(2, 0)).toString(), "c");
    // A count ahead of the records gives empty rows, never a read past them.
    model.SetItemCount(5);
    EXPECT_FALSE(model.data(model.index(4, 0)).isValid());
    model.AddColumn({"Attributes", Qt::AlignLeft});
    EXPECT_EQ(model.columnCount(), 4);
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), "Attributes");
    EXPECT_EQ(model.data(model.index(0, 3)).toString(), "");
    model.RedrawItem(0);
    model.RedrawItem(9);
    model.SetSource(nullptr);
    EXPECT_FALSE(model.data(model.index(0, 0)).isValid());
}

TEST(FileListModel, CaptionEditEndsInTheSourcesRename)
{
    TPlainSource source;
    source.Names = {"old.txt"};
    TFileListModel model;
    model.SetColumns({{"Name", Qt::AlignLeft}});
    model.SetSource(&source);
    model.SetItemCount(1);
    EXPECT_TRUE(model.setData(model.index(0, 0), "new.txt"));
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), "new.txt");
    EXPECT_FALSE(model.setData(model.index(0, 0), "bad/name"));
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), "new.txt");
    EXPECT_FALSE(model.setData(model.index(0, 0), "x", Qt::DisplayRole));
}

TEST(FileListModel, StaysConsistentThroughTheViewsChanges)
{
    TTestFileListView view;
    QAbstractItemModelTester tester(view.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    view.ShowEntries({{"b.txt"}, {"dir", true}, {"link"}});
    const QModelIndex link = view.model()->index(2, 0);  // dir, b.txt, link
    EXPECT_TRUE(link.data(TFileListModel::GhostedRole).toBool());
    EXPECT_FALSE(view.model()->index(1, 0).data(TFileListModel::GhostedRole).toBool());
    EXPECT_FALSE(link.data(Qt::DecorationRole).value<QIcon>().isNull());
    view.SetShowIcons(false);
    EXPECT_FALSE(link.data(Qt::DecorationRole).isValid());
    view.SetShowIcons(true);
    view.AddItem({"new", {}, 0, 0, "d"});
    EXPECT_EQ(view.ItemCount(), 4);
    view.selectionModel()->select(view.model()->index(1, 0),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_TRUE(view.DeleteItems(-1, true));
    EXPECT_EQ(view.Names(), (QStringList{"dir", "link", "new"}));
    EXPECT_EQ(view.model()->rowCount(), 3);
    view.SetSortType(stSize);
    EXPECT_EQ(view.model()->rowCount(), 3);
    view.ClearItems();
    EXPECT_EQ(view.ItemCount(), 0);
}

}  // namespace
