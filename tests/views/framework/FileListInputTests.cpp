// Keys, mouse, in-place renaming and drops, all offscreen.
#include "TestFileListView.h"
#include "support/SelectRows.h"

#include <QApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

class FileListInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        View.resize(400, 300);
        View.show();
        View.ShowEntries({{"a.txt"}, {"b.txt"}, {"c.txt"}, {"sub", true}});
        View.OnItemClick = [this](TCustomFileListView*, Qt::MouseButton button, int item) {
            Events << QString("click %1 %2").arg(int(button)).arg(item);
        };
        View.OnItemDblClick = [this](TCustomFileListView*, Qt::MouseButton button, int item) {
            Events << QString("dblclick %1 %2").arg(int(button)).arg(item);
        };
    }

    void Select(const QList<int>& rows) { SelectRows(View, rows); }

    QPoint RowCentre(int row) { return View.visualRect(View.model()->index(row, 0)).center(); }

    QLineEdit* Editor() { return View.viewport()->findChild<QLineEdit*>(); }

    // Types into the open caption editor and presses Enter; the edit ends
    // through the event loop, so wait (bounded) until it has.
    void FinishEdit(const QString& text)
    {
        ASSERT_TRUE(Editor());
        Editor()->setText(text);
        QTest::keyClick(Editor(), Qt::Key_Return);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !View.IsEditing(); }, 5000));
    }

    QString Caption(int row) { return View.model()->index(row, 0).data().toString(); }

    TTestFileListView View;
    QStringList Events;
};

TEST_F(FileListInput, KeysRunTheViewsCommands)
{
    // sub, a.txt, b.txt, c.txt
    QTest::keyClick(&View, Qt::Key_Backspace);
    QTest::keyClick(&View, Qt::Key_F5);
    EXPECT_EQ(View.Calls, (QStringList{"Refresh", "Up", "Refresh"}));

    Select({2});
    QTest::keyClick(&View, Qt::Key_Return);
    Select({1, 2});
    QTest::keyClick(&View, Qt::Key_Enter);  // two selected: nothing
    EXPECT_EQ(Events, QStringList{"dblclick 1 2"});

    Select({3});
    QTest::keyClick(&View, Qt::Key_Delete);
    Select({0, 2});
    QTest::keyClick(&View, Qt::Key_Delete);
    EXPECT_EQ(View.Calls.mid(3), (QStringList{"Delete 3 false", "Delete -1 true"}));
    EXPECT_EQ(View.Names(), QStringList{"a.txt"});
}

TEST_F(FileListInput, EnterRightAfterAListingActsOnTheFirstItem)
{
    QTest::keyClick(&View, Qt::Key_Return);
    EXPECT_EQ(Events, QStringList{"dblclick 1 0"});
}

TEST_F(FileListInput, CtrlASelectsEverythingWhileBusy)
{
    QStringList seen;
    View.OnBusy = [&](TCustomFileListView* v) { seen << QString("busy %1").arg(v->SelCount()); };
    View.OnReady = [&](TCustomFileListView* v) { seen << QString("ready %1").arg(v->SelCount()); };
    QTest::keyClick(&View, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(View.SelCount(), 4);
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[1], "ready 4");
}

TEST_F(FileListInput, KeysAndClicksDoNothingWhileBusyOrSwitchedOff)
{
    Select({1});
    View.BeginBusy();
    QTest::keyClick(&View, Qt::Key_Backspace);
    QTest::keyClick(&View, Qt::Key_F2);
    QTest::mouseDClick(View.viewport(), Qt::LeftButton, {}, RowCentre(1));
    View.BeginRename(1);
    EXPECT_FALSE(View.IsEditing());
    View.EndBusy();
    View.SetHandleKeyPresses(false);
    QTest::keyClick(&View, Qt::Key_Backspace);
    QTest::keyClick(&View, Qt::Key_Return);
    EXPECT_EQ(View.Calls, QStringList{"Refresh"});
    EXPECT_TRUE(Events.isEmpty());
}

TEST_F(FileListInput, OnlyTheLeftButtonOnAnItemCounts)
{
    QTest::mouseClick(View.viewport(), Qt::LeftButton, {}, RowCentre(2));
    QTest::mouseClick(View.viewport(), Qt::RightButton, {}, RowCentre(1));
    QTest::mouseClick(View.viewport(), Qt::LeftButton, {}, QPoint(5, View.viewport()->height() - 5));
    EXPECT_EQ(Events, QStringList{"click 1 2"});
    Events.clear();
    QTest::mouseDClick(View.viewport(), Qt::LeftButton, {}, RowCentre(3));
    EXPECT_TRUE(Events.contains("dblclick 1 3")) << Events.join(',').toStdString();
}

TEST_F(FileListInput, F2RenamesTheFocusedItemThroughRenameItem)
{
    QStringList renamed;
    View.OnRenameItem = [&](TCustomFileListView*, int item, const QString& old) {
        renamed << QString("%1 %2").arg(item).arg(old);
    };
    Select({1});
    QTest::keyClick(&View, Qt::Key_F2);
    ASSERT_TRUE(View.IsEditing());
    EXPECT_EQ(Editor()->text(), "a.txt");
    FinishEdit("notes.txt");
    EXPECT_TRUE(View.Calls.contains("Rename a.txt -> notes.txt"));
    EXPECT_EQ(Caption(1), "notes.txt");
    EXPECT_EQ(renamed, QStringList{"1 a.txt"});
}

// A click on the selected item edits it once the double-click time is up
// (the test ends that time itself), unless anything happens meanwhile.
TEST_F(FileListInput, ASecondClickEditsThatItemOnlyIfNothingHappensMeanwhile)
{
    auto* pending = View.findChild<QTimer*>("PendingEdit");
    ASSERT_TRUE(pending);
    auto click = [this](int row) { QTest::mouseClick(View.viewport(), Qt::LeftButton, {}, RowCentre(row)); };
    const QList<TTestEntry> inside{{"inner.txt"}, {"deeper", true}};
    // Enter on the folder lists what is inside it, as opening it would.
    View.OnItemDblClick = [&](TCustomFileListView*, Qt::MouseButton, int) { View.ShowEntries(inside); };
    const std::pair<std::string, std::function<void()>> meanwhile[] = {
        {"Enter", [&] { QTest::keyClick(&View, Qt::Key_Return); }},
        {"another key", [&] { QTest::keyClick(&View, Qt::Key_Shift); }},
        {"a click on another item", [&] { click(1); }},
        {"a new listing", [&] { View.ShowEntries(inside); }},
        {"navigation", [&] { View.SetDirectory("/elsewhere"); }},
        {"a busy command",
         [&] {
             View.BeginBusy();
             View.EndBusy();
         }},
        {"nothing", [] {}},
    };
    // The row a listing selected is no choice of the user's: the first click
    // on it only chooses it.
    View.ShowEntries({{"a.txt"}, {"sub", true}});
    click(0);
    EXPECT_FALSE(pending->isActive());
    EXPECT_EQ(View.SelectedItems(), QList<int>{0});
    for (const auto& [what, act] : meanwhile) {
        SCOPED_TRACE(what);
        View.ShowEntries({{"a.txt"}, {"sub", true}});  // sub first, selected
        click(0);
        click(0);
        act();
        QMetaObject::invokeMethod(pending, "timeout");
        EXPECT_EQ(View.IsEditing(), what == "nothing");
    }
    ASSERT_TRUE(Editor());
    EXPECT_EQ(Editor()->text(), "sub");
}

TEST_F(FileListInput, ARefusedRenameKeepsTheOldCaption)
{
    View.RefuseRenames = true;
    View.BeginRename(2);
    FinishEdit("taken.txt");
    EXPECT_TRUE(View.Calls.contains("Rename b.txt -> taken.txt"));
    EXPECT_EQ(Caption(2), "b.txt");
}

TEST_F(FileListInput, ClearingTheListCancelsAnOpenEdit)
{
    View.BeginRename(1);
    ASSERT_TRUE(View.IsEditing());
    View.ClearItems();
    EXPECT_FALSE(View.IsEditing());
    EXPECT_EQ(View.Freed, 4);
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(View.Calls.join(',').contains("Rename"));
}

TEST_F(FileListInput, ANewDirectoryIsSelectedAndOpenedForItsName)
{
    EXPECT_EQ(View.CreateDirectory("sub", true, false), 1);
    EXPECT_EQ(View.CreateDirectory("sub", true, true), 0);
    const int item = View.FindItem("sub_2", true);
    ASSERT_GE(item, 0);
    EXPECT_EQ(View.SelectedItems(), QList<int>{item});
    ASSERT_TRUE(View.IsEditing());
    EXPECT_EQ(Editor()->text(), "sub_2");

    TTestFileListView quiet;
    quiet.show();
    quiet.ShowEntries({{"x"}});
    EXPECT_EQ(quiet.CreateDirectory("made", false, false), 0);
    EXPECT_EQ(quiet.ItemCount(), 2);
    EXPECT_EQ(quiet.model()->index(1, 0).data().toString(), "made");
    EXPECT_FALSE(quiet.IsEditing());
}

TEST_F(FileListInput, TypingSelectsTheNextMatchingName)
{
    const int interval = QApplication::keyboardInputInterval();
    QApplication::setKeyboardInputInterval(60000);
    View.ShowEntries({{"beta"}, {"about.txt"}, {"bdir", true}, {"able.doc"}, {"adir", true}});
    // adir, bdir, able.doc, about.txt, beta; adir has the focus.
    QTest::keyClicks(&View, "ab");
    EXPECT_EQ(View.SelectedItems(), QList<int>{2});
    QTest::keyClicks(&View, "o");
    EXPECT_EQ(View.SelectedItems(), QList<int>{3});
    QApplication::setKeyboardInputInterval(0);  // the next letter starts afresh
    QTest::keyClicks(&View, "b");
    EXPECT_EQ(View.SelectedItems(), QList<int>{4});
    QApplication::setKeyboardInputInterval(interval);
}

class FileListDrops : public FileListInput {
protected:
    // Drags urls over the view and drops them; true when the view took them.
    bool Drop(const QList<QUrl>& urls, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction)
    {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = RowCentre(0);
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, {});
        QApplication::sendEvent(View.viewport(), &enter);
        QDropEvent drop(at, actions, &data, Qt::LeftButton, {});
        QApplication::sendEvent(View.viewport(), &drop);
        EXPECT_EQ(enter.isAccepted(), drop.isAccepted());
        const bool taken = drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
        QCoreApplication::sendPostedEvents(&View, QEvent::MetaCall);
        return taken;
    }

    const QList<QUrl> Urls = {QUrl::fromLocalFile("/tmp/a b.txt"), QUrl("https://example.org/x"),
                              QUrl::fromLocalFile("/home/u/dir")};
};

TEST_F(FileListDrops, DesktopFilesArriveAsLocalPaths)
{
    QStringList got;
    bool initial = false;
    View.OnFileDrop = [&](TCustomFileListView*, const QStringList& files, bool& handle) {
        got = files;
        initial = handle;
    };
    EXPECT_TRUE(Drop(Urls));
    EXPECT_EQ(got, (QStringList{"/tmp/a b.txt", "/home/u/dir"}));
    EXPECT_TRUE(initial);
    EXPECT_TRUE(View.Calls.contains("Dropped /tmp/a b.txt,/home/u/dir"));

    View.OnFileDrop = [&](TCustomFileListView*, const QStringList&, bool& handle) { handle = false; };
    View.Calls.clear();
    EXPECT_TRUE(Drop(Urls));
    View.OnFileDrop = nullptr;
    View.SetHandleFileDrops(false);
    EXPECT_TRUE(Drop(Urls));
    EXPECT_TRUE(View.Calls.isEmpty());
}

TEST_F(FileListDrops, RefusedDropsRaiseNothing)
{
    int drops = 0;
    View.OnFileDrop = [&](TCustomFileListView*, const QStringList&, bool&) { ++drops; };
    EXPECT_FALSE(Drop({QUrl("ftp://example.org/file")}));
    // A drop that could only move would let the desktop delete the originals.
    EXPECT_FALSE(Drop(Urls, Qt::MoveAction));
    View.SetAcceptShellFiles(false);
    EXPECT_FALSE(Drop(Urls));
    EXPECT_EQ(drops, 0);
}

TEST_F(FileListDrops, ItemsFromAnotherListGoToTheOwnersHandlers)
{
    TTestFileListView other;
    EXPECT_FALSE(View.AcceptsDragFrom(&other, {1, 1}));  // nobody asked: refused
    QStringList seen;
    View.OnDragOver = [&](TCustomFileListView* sender, TCustomFileListView* source, QPoint pos,
                          bool& accept) {
        accept = source == &other && sender == &View && pos == QPoint(1, 2);
    };
    View.OnDragDrop = [&](TCustomFileListView*, TCustomFileListView* source, QPoint) {
        seen << (source == &other ? "drop" : "?");
    };
    EXPECT_TRUE(View.AcceptsDragFrom(&other, {1, 2}));
    EXPECT_FALSE(View.AcceptsDragFrom(&View, {1, 2}));
    View.DroppedFrom(&other, {1, 2});
    EXPECT_EQ(seen, QStringList{"drop"});
}

}  // namespace
