// Sorting by the column headers, and sizes in a column too narrow for them.
#include "TestFileListView.h"
#include "views/framework/FileListDelegate.h"
#include "views/framework/FileListModel.h"
#include "views/framework/ListRules.h"

#include <QHeaderView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void ClickHeader(QTreeView& view, int column)
{
    QHeaderView* header = view.header();
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
}

TEST(FileListSort, HeaderClicksSortByTheColumnAndReverseKeepingFoldersFirst)
{
    TTestFileListView view;
    view.SetColumns({{"Name"}, {"Size"}, {"Type"}, {"Date"}, {"Attributes"}});
    view.resize(600, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.ShowEntries(Mixed());
    int changes = 0;
    view.OnSortChange = [&](TCustomFileListView*) { ++changes; };
    const struct {
        int Column;
        QStringList Names;
        int IndicatorColumn;
        Qt::SortOrder Order;
    } clicks[] = {
        {1, {"zdir", "c.doc", "b.txt", "A.pdf"}, 1, Qt::AscendingOrder},
        {1, {"zdir", "A.pdf", "b.txt", "c.doc"}, 1, Qt::DescendingOrder},
        // Another column starts ascending.
        {2, {"zdir", "c.doc", "A.pdf", "b.txt"}, 2, Qt::AscendingOrder},
        {3, {"zdir", "A.pdf", "c.doc", "b.txt"}, 3, Qt::AscendingOrder},
        {0, {"zdir", "A.pdf", "b.txt", "c.doc"}, 0, Qt::AscendingOrder},
        {0, {"zdir", "c.doc", "b.txt", "A.pdf"}, 0, Qt::DescendingOrder},
        // The attributes sort nothing: order and arrow stay.
        {4, {"zdir", "c.doc", "b.txt", "A.pdf"}, 0, Qt::DescendingOrder},
    };
    int expectedChanges = 0;
    for (const auto& click : clicks) {
        ClickHeader(view, click.Column);
        if (click.Column < 4) ++expectedChanges;
        EXPECT_EQ(view.Names(), click.Names) << click.Column;
        EXPECT_EQ(view.header()->sortIndicatorSection(), click.IndicatorColumn) << click.Column;
        EXPECT_EQ(view.header()->sortIndicatorOrder(), click.Order) << click.Column;
        // The rows show their records in the new order.
        EXPECT_EQ(view.model()->index(1, 0).data().toString(), click.Names[1]) << click.Column;
    }
    EXPECT_EQ(changes, expectedChanges);

    // While busy an operation may hold item indices: clicks change nothing.
    view.BeginBusy();
    ClickHeader(view, 1);
    EXPECT_EQ(view.Names(), (QStringList{"zdir", "c.doc", "b.txt", "A.pdf"}));
    EXPECT_EQ(view.header()->sortIndicatorSection(), 0);
    EXPECT_EQ(changes, expectedChanges);
    view.EndBusy();
}

TEST(FileListSort, HumanSizesRoundToOneDecimalAndMoveUpAUnitAt1024)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    const struct {
        quint64 Bytes;
        const QLocale& Locale;
        const char* Expected;
    } cases[] = {
        {0, english, "0 bytes"},
        {1023, english, "1023 bytes"},
        {1024, english, "1.0 kB"},
        {1535, english, "1.5 kB"},
        {1536, german, "1,5 kB"},
        {1024 * 1024 - 52, english, "1023.9 kB"},  // 1023.95 would round up: not yet
        {1024 * 1024 - 51, english, "1.0 MB"},
        {1024 * 1024, english, "1.0 MB"},
        {1024ULL * 1024 * 1024 - 1, english, "1.0 GB"},
        {5'000'000'000ULL, english, "4.7 GB"},
        {5'000'000'000ULL, german, "4,7 GB"},
        {1ULL << 50, english, "1048576.0 GB"},  // no unit beyond GB
    };
    for (const auto& c : cases)
        EXPECT_EQ(TListRules::HumanSizeText(c.Bytes, c.Locale), QString(c.Expected)) << c.Bytes;
    EXPECT_EQ(TListRules::ByteCountText(5'000'000'000ULL, english), "5,000,000,000 bytes");
}

TEST(FileListSort, ANarrowSizeColumnShowsTheShortFormAndTheToolTipTheBytes)
{
    TTestFileListView view;
    view.ShowEntries(Mixed());
    const QModelIndex big = view.model()->index(1, TFileListModel::SizeColumn);
    ASSERT_EQ(view.model()->index(1, 0).data().toString(), "A.pdf");
    const QString full = big.data().toString();
    auto* delegate = qobject_cast<TFileListDelegate*>(view.itemDelegate());
    ASSERT_NE(delegate, nullptr);
    const int fullWidth = view.fontMetrics().horizontalAdvance(full);
    EXPECT_EQ(delegate->ShownText(big, QRect(0, 0, fullWidth + 40, 20)), full);
    EXPECT_EQ(delegate->ShownText(big, QRect(0, 0, fullWidth / 2, 20)),
              TListRules::HumanSizeText(5'000'000'000ULL));
    EXPECT_EQ(big.data(Qt::ToolTipRole).toString(), TListRules::ByteCountText(5'000'000'000ULL));
    // A folder has no size to tell; other columns keep their texts whole.
    EXPECT_FALSE(view.model()->index(0, TFileListModel::SizeColumn).data(Qt::ToolTipRole).isValid());
    const QModelIndex name = view.model()->index(1, 0);
    EXPECT_EQ(delegate->ShownText(name, QRect(0, 0, 5, 20)), "A.pdf");
}

}  // namespace
