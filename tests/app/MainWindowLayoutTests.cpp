// The main window as it opens and closes: its size, the panes' columns, the
// log's height, the local pane's folder and the About box's help.
#include "app/HelpWindow.h"
#include "app/StatusLog.h"
#include "app/frmAbout.h"
#include "app/frmMain.h"
#include "platform/PumpedWait.h"
#include "settings/Settings.h"
#include "support/TestFiles.h"
#include "support/dialogs/ScriptedDialogs.h"
#include "views/local/FileListView.h"
#include "views/remote/FtpFileListView.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLocale>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    // Every test starts as a first run: no store.
    void SetUp() override { QFile::remove(TSettings::DefaultStoreFileName()); }

    // Leaves values in the store as an earlier run would have.
    static void Remember(const std::function<void(TSettings&)>& change)
    {
        TSettings settings;
        settings.LoadAll();
        change(settings);
        settings.SaveWindowSettings();
    }

    static void ShowAndWait(QWidget& window)
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    TScriptedDialogs Dialogs;
};

TEST(FirstStartSize, IsAThousandBySevenHundredButFitsSmallScreens)
{
    const struct {
        QSize Screen;
        QSize Window;
    } cases[] = {
        {{2560, 1400}, {1000, 700}}, {{1920, 1080}, {1000, 700}},
        {{1280, 1000}, {1000, 700}}, {{1250, 875}, {1000, 700}},  // just room for it
        {{1249, 874}, {874, 611}},                                // 70 % of the screen from here on
        {{1366, 738}, {1000, 516}},                               // a wide, low screen: each side on its own
        {{1024, 768}, {716, 537}},   {{800, 600}, {560, 420}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TfrmMain::FirstStartSize(c.Screen), c.Window)
            << c.Screen.width() << "x" << c.Screen.height();
}

TEST_F(MainWindowTest, FirstStartTakesItsSizeFromTheScreen)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    TfrmMain main;
    EXPECT_EQ(main.size(), TfrmMain::FirstStartSize(screen->availableGeometry().size()));
}

TEST_F(MainWindowTest, AtTheFirstStartSizeEveryColumnShows)
{
    TfrmMain main;
    main.resize(1000, 700);
    ShowAndWait(main);
    // A local date as the pane writes it, whole.
    const QLocale locale;
    const QString date = locale.toString(QDate(2000, 12, 28), QLocale::ShortFormat) + u' ' +
                         locale.toString(QTime(23, 59), QLocale::ShortFormat);
    for (QTreeView* view :
         {static_cast<QTreeView*>(main.LocalDir), static_cast<QTreeView*>(main.RemoteDir)}) {
        EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0) << view->objectName().toStdString();
        EXPECT_GE(view->header()->sectionSize(0), 100) << view->objectName().toStdString();
        EXPECT_GT(view->header()->sectionSize(3), view->fontMetrics().horizontalAdvance(date))
            << view->objectName().toStdString();
    }
}

TEST_F(MainWindowTest, NameColumnTakesTheWidthTheWindowGains)
{
    TfrmMain main;
    main.resize(1000, 700);
    ShowAndWait(main);
    QHeaderView* header = main.RemoteDir->header();
    const int name = header->sectionSize(0), size = header->sectionSize(1), date = header->sectionSize(3);
    const int viewport = main.RemoteDir->viewport()->width();
    main.resize(1400, 700);
    ASSERT_TRUE(WaitUntilFor([&] { return main.RemoteDir->viewport()->width() > viewport; }, 5000));
    EXPECT_EQ(header->sectionSize(0) - name, main.RemoteDir->viewport()->width() - viewport);
    EXPECT_EQ(header->sectionSize(1), size);  // the others keep their widths
    EXPECT_EQ(header->sectionSize(3), date);
}

TEST_F(MainWindowTest, LogHeightIsRememberedAndAMissingOneTakesTheDefault)
{
    {
        TfrmMain main;
        main.resize(1000, 700);
        ShowAndWait(main);
        EXPECT_EQ(main.Status->height(), DefaultLogHeight);
        auto* split = main.findChild<QSplitter*>(QStringLiteral("splStatus"));
        ASSERT_NE(split, nullptr);
        const QList<int> sizes = split->sizes();
        split->setSizes({sizes[0] + sizes[1] - 173, 173});
        ASSERT_EQ(main.Status->height(), 173);
        EXPECT_TRUE(main.close());
    }
    TfrmMain next;
    next.resize(1000, 700);
    ShowAndWait(next);
    EXPECT_EQ(next.Status->height(), 173);
}

TEST_F(MainWindowTest, LocalPaneStartsInTheCurrentFolderStopsAtTheRootAndRemembersIt)
{
    Remember([](TSettings& settings) { settings.LastDir = QStringLiteral("/no/such/folder/anywhere"); });
    {
        TfrmMain main;
        ShowAndWait(main);
        ASSERT_TRUE(WaitUntilFor([&] { return !main.LocalDir->CurrentIdentifier().isEmpty(); }, 5000));
        EXPECT_EQ(main.LocalDir->Directory(), QDir::currentPath());  // not the list of volumes
        main.LocalDir->SetDirectory(QStringLiteral("/"));
        QTest::keyClick(main.LocalDir, Qt::Key_Backspace);
        EXPECT_EQ(main.LocalDir->Directory(), "/");
        EXPECT_FALSE(main.LocalDir->InComputerFolder());
        EXPECT_TRUE(main.close());
    }
    TfrmMain next;
    ShowAndWait(next);
    EXPECT_EQ(next.LocalDir->Directory(), "/");
}

TEST_F(MainWindowTest, LocalPaneLeavesDesktopFilesToTheRemotePane)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath(QStringLiteral("dropped.txt"));
    ASSERT_TRUE(testfiles::Write(file, "x"));
    TfrmMain main;
    ShowAndWait(main);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(main.LocalDir->viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
}

TEST_F(MainWindowTest, LocalHistoryHoldsTheFolderOpenedAtStartAndNoEmptyEntry)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    Remember([&](TSettings& settings) { settings.LastDir = folder.path(); });
    TfrmMain main;
    ASSERT_EQ(main.cbLocalDirectory->count(), 1);
    EXPECT_EQ(main.cbLocalDirectory->itemText(0), QDir::cleanPath(folder.path()));

    // Closed before its pane ever showed the folder, the window still
    // remembers it for the next start.
    EXPECT_TRUE(main.close());
    TSettings reread;
    reread.LoadWindowSettings();
    EXPECT_EQ(reread.LastDir, folder.path());
}

TEST_F(MainWindowTest, F1InTheAboutBoxOpensItsHelp)
{
    TfrmMain main;
    ShowAndWait(main);
    // The main window's own activation must not arrive after the box's.
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    main.mnuAboutClick();
    auto* about = main.findChild<TfrmAbout*>();
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(WaitUntilFor([&] { return QApplication::activeWindow() == about; }, 5000));
    QTest::keyClick(about, Qt::Key_F1);
    auto* help = main.findChild<THelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->CurrentPage().toString(), HelpPageForContext(hcAbout).toString());
}

}  // namespace
