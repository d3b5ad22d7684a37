// Keys, columns and type-ahead of the remote view, offscreen, and the
// model's consistency while the view changes.
#include "RemoteViewFixture.h"

#include "platform/DateTime.h"
#include "views/framework/FileListModel.h"

#include <QAbstractItemModelTester>
#include <QDate>
#include <QTimer>

namespace {

using Commands = QByteArrayList;

const Commands Listing{"TYPE A", "PORT *", "LIST"};

TEST_F(RemoteViewTest, KeysRunTheRemoteCommands)
{
    Connect();
    Select({"d"});
    QTest::keyClick(&View, Qt::Key_Return);
    EXPECT_EQ(Sent(), (Commands{"CWD d", "PWD"} + Listing));
    Mark();
    QTest::keyClick(&View, Qt::Key_Backspace);
    EXPECT_EQ(Sent(), (Commands{"CDUP", "PWD"} + Listing));
    Mark();
    QTest::keyClick(&View, Qt::Key_F5);
    EXPECT_EQ(Sent(), Listing);

    QTest::keyClick(&View, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(View.SelCount(), RootRows.size());

    Mark();
    Select({"c.txt"});
    QTest::keyClick(&View, Qt::Key_Delete);
    Select({"a.txt", "b.txt"});
    QTest::keyClick(&View, Qt::Key_Delete);
    EXPECT_EQ(Events.filter("deleting"), (QStringList{"deleting 1 'c.txt' 0", "deleting 2 '' 0"}));
    EXPECT_EQ(Sent(), (Commands{"DELE c.txt", "DELE b.txt", "DELE a.txt"}));

    // Without a connection no key reaches the server.
    Ftp.Disconnect();
    Mark();
    QTest::keyClick(&View, Qt::Key_F5);
    QTest::keyClick(&View, Qt::Key_Backspace);
    Select({"d"});
    QTest::keyClick(&View, Qt::Key_Return);
    EXPECT_TRUE(Sent().isEmpty());
    EXPECT_EQ(Rows(), (QStringList{"d", "lnk", "pub"}));
}

TEST_F(RemoteViewTest, EnterRightAfterAListingOpensTheFirstItem)
{
    Connect();
    EXPECT_EQ(View.SelectedItems(), QList<int>{0});
    QTest::keyClick(&View, Qt::Key_Return);
    EXPECT_EQ(Sent(), (Commands{"CWD d", "PWD"} + Listing));
    EXPECT_EQ(View.SelectedItems(), QList<int>{0});  // "link", in the new listing
}

// Seen on a real server: a second click on a folder, then Enter at once,
// opened the folder and an editor on an item of the new listing.
TEST_F(RemoteViewTest, AnEditAskedForBeforeTheListingChangedNeverOpens)
{
    Connect();
    auto* pending = View.findChild<QTimer*>("PendingEdit");
    ASSERT_TRUE(pending);
    const QPoint folder = View.visualRect(View.model()->index(Row("d"), 0)).center();
    QTest::mouseClick(View.viewport(), Qt::LeftButton, {}, folder);  // "d" was selected
    QTest::keyClick(&View, Qt::Key_Return);
    QMetaObject::invokeMethod(pending, "timeout");  // as if its time had come
    EXPECT_EQ(View.Directory(), "/d");
    EXPECT_FALSE(View.IsEditing());
}

TEST_F(RemoteViewTest, IconsComeBackWhenSwitchedOnAgain)
{
    Connect();
    auto icon = [this] { return View.model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>(); };
    View.SetShowIcons(false);
    View.RefreshList();
    EXPECT_TRUE(icon().isNull());
    View.SetShowIcons(true);
    EXPECT_FALSE(icon().isNull());
}

TEST_F(RemoteViewTest, F2RenamesInPlaceAndARefusedRenameRestoresTheCaption)
{
    Connect();
    Site.Refused << "/a.txt";
    Select({"a.txt"});
    QTest::keyClick(&View, Qt::Key_F2);
    ASSERT_TRUE(View.IsEditing());
    EndCaptionEdit(View, "q.txt");
    EXPECT_EQ(Sent(), (Commands{"RNFR a.txt", "RNTO q.txt"}));
    EXPECT_EQ(Rows(), RootRows);
    Site.Refused.clear();

    Mark();
    Select({"a.txt"});
    QTest::keyClick(&View, Qt::Key_F2);
    EndCaptionEdit(View, "e.txt");
    EXPECT_EQ(Sent(), (Commands{"RNFR a.txt", "RNTO e.txt"}));
    EXPECT_EQ(Rows()[3], "e.txt");
    EXPECT_TRUE(Site.Exists("/e.txt"));
}

TEST_F(RemoteViewTest, ColumnsShowTheListingsOwnWords)
{
    const int yearBefore = QDate::currentDate().year();
    Connect();
    // A date without a year falls in the view's current year: whichever the
    // clock said while it listed, even across a new year's midnight.
    const int year = View.CurrentYear();
    EXPECT_TRUE(year == yearBefore || year == QDate::currentDate().year()) << year;
    const QAbstractItemModel& model = *View.model();
    QStringList headers;
    for (int column = 0; column < model.columnCount(); ++column)
        headers << model.headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(headers, (QStringList{"Name", "Size", "Type", "Date", "Attributes"}));

    auto row = [&](const QString& name) {
        QStringList cells;
        for (int column = 1; column < model.columnCount(); ++column)
            cells << model.index(Row(name), column).data().toString();
        cells.removeAt(1);  // the type name comes from the desktop's database
        return cells;
    };
    EXPECT_EQ(row("a.txt"), (QStringList{"1 kB", "Feb 5 2001", "-rw-r--r--"}));
    EXPECT_EQ(row("b.txt"), (QStringList{"2 kB", "Feb 5 2001", "-rw-r--r--"}));
    EXPECT_EQ(row("c.txt"), (QStringList{"0 kB", "Feb 5 2001", "-rw-r--r--"}));
    EXPECT_EQ(row("d"), (QStringList{"", "Jan 12 12:30", "drwxr-xr-x"}));
    EXPECT_EQ(row("lnk"), (QStringList{"", "", "lrwxrwxrwx"}));
    EXPECT_TRUE(model.index(Row("lnk"), 0).data(TFileListModel::GhostedRole).toBool());
    EXPECT_FALSE(model.index(Row("d"), 0).data(TFileListModel::GhostedRole).toBool());
    EXPECT_FALSE(model.index(Row("a.txt"), 2).data().toString().isEmpty());

    TDateTime expected = 0;
    ASSERT_TRUE(TryEncodeDateTime(2001, 2, 5, 0, 0, 0, expected));
    const TItemInfo a = View.GetItemInfo(Row("a.txt"));
    EXPECT_EQ(a.Size, 1234u);
    EXPECT_EQ(a.Date, expected);
    ASSERT_TRUE(TryEncodeDateTime(year, 1, 12, 12, 30, 0, expected));
    EXPECT_EQ(View.GetItemInfo(Row("d")).Date, expected);

    View.SetSizeString("KB");
    EXPECT_EQ(row("a.txt").first(), "1 KB");
    View.SetSortType(stSize);
    EXPECT_EQ(Rows().mid(3), (QStringList{"c.txt", "a.txt", "b.txt"}));
}

TEST_F(RemoteViewTest, TypeAheadKeepsToTheKindOfTheSelection)
{
    Site.AddFile("/pa.txt");
    Connect();
    EXPECT_EQ(View.FindItemData(fkPartial, "p", 0, true), Row("pub"));
    Select({"a.txt"});
    EXPECT_EQ(View.FindItemData(fkPartial, "p", 0, true), Row("pa.txt"));
    Select({"d"});
    EXPECT_EQ(View.FindItemData(fkPartial, "P", Row("pub") + 1, true), Row("pub"));
    EXPECT_EQ(View.FindItemData(fkNearest, "p", 0, true), -1);
}

TEST_F(RemoteViewTest, TheModelStaysConsistentWhileTheViewChanges)
{
    QAbstractItemModelTester tester(View.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    Connect();
    EXPECT_EQ(View.model()->rowCount(), RootRows.size());
    ASSERT_TRUE(View.OpenDirectory("d"));
    EXPECT_EQ(View.model()->rowCount(), 4);
    ASSERT_TRUE(View.GotoUpperDirectory());
    ASSERT_EQ(View.CreateDirectory("made", false, false), 0);
    EXPECT_EQ(View.model()->rowCount(), RootRows.size() + 1);
    EXPECT_EQ(Rows().last(), "made");
    EXPECT_TRUE(View.DeleteItems(Row("made"), false));
    Select({"a.txt", "b.txt"});
    EXPECT_TRUE(View.DeleteItems(-1, true));
    EXPECT_EQ(Rows(), (QStringList{"d", "lnk", "pub", "c.txt"}));
    EXPECT_TRUE(View.RefreshList());
    Ftp.Disconnect();
    View.Reset();
    EXPECT_EQ(View.model()->rowCount(), 0);
}

}  // namespace
