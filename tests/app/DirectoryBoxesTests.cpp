// The boxes above the panes and the column headers, through the main window
// offscreen: the local history, the volume box with volumes of the test's
// own, and sorting that the next window remembers.
#include "app/frmMain.h"
#include "platform/PumpedWait.h"
#include "settings/Settings.h"
#include "support/ScriptedFtpServer.h"
#include "support/TestFiles.h"
#include "support/dialogs/ScriptedDialogs.h"
#include "views/local/DriveCombo.h"
#include "views/local/FileListView.h"
#include "views/remote/FtpFileListView.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class DirectoryBoxes : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(TSettings::DefaultStoreFileName());
        ASSERT_TRUE(Root.isValid());
    }

    QString Folder(const QString& relative) const
    {
        const QString path = QDir::cleanPath(Root.filePath(relative));
        QDir().mkpath(path);
        return path;
    }

    static void Show(TfrmMain& main)
    {
        main.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
        ASSERT_TRUE(WaitUntilFor([&] { return !main.LocalDir->CurrentIdentifier().isEmpty(); }, 5000));
    }

    static void Type(TComboBoxEx& box, const QString& text)
    {
        // As typed: the keys reach the box, which hands them to its field.
        box.lineEdit()->clear();
        QTest::keyClicks(&box, text);
        QTest::keyClick(&box, Qt::Key_Return);
    }

    static void Choose(QComboBox& box, int index)
    {
        box.showPopup();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(box.view()->window()));
        box.view()->setCurrentIndex(box.model()->index(index, 0));
        QTest::keyClick(box.view(), Qt::Key_Return);
    }

    // One per line, so a failure reads.
    static std::string Entries(const QComboBox& box)
    {
        QStringList entries;
        for (int i = 0; i < box.count(); ++i)
            entries << box.itemText(i);
        return Lines(entries);
    }
    static std::string Lines(const QStringList& list) { return list.join('\n').toStdString(); }

    QTemporaryDir Root;
    TScriptedDialogs Dialogs;
};

TEST_F(DirectoryBoxes, LocalHistoryKeepsTenFoldersNewestFirstAndAKnownOneInPlace)
{
    TfrmMain main;
    Show(main);
    TComboBoxEx& box = *main.cbLocalDirectory;
    // The folder opened at start is the first entry; eleven more push it
    // and the first typed one out at the bottom.
    QStringList expected;
    for (int i = 0; i <= 10; ++i) {
        const QString folder = Folder(QString("d%1").arg(i));
        Type(box, folder);
        ASSERT_EQ(main.LocalDir->Directory(), folder);
        expected.prepend(folder);
    }
    expected = expected.mid(0, 10);
    EXPECT_EQ(Entries(box), Lines(expected));

    const QString known = Folder("d4");
    const struct {
        QString Typed;
        QString Directory;
    } steps[] = {
        {"", main.LocalDir->Directory()},   // empty: the box shows the folder again
        {known, known},                     // known: opened, not moved
        {Root.filePath("missing"), known},  // gone: the pane stays
    };
    for (const auto& step : steps) {
        Type(box, step.Typed);
        EXPECT_EQ(main.LocalDir->Directory(), step.Directory) << step.Typed.toStdString();
        EXPECT_EQ(box.currentText(), step.Directory) << step.Typed.toStdString();
        EXPECT_EQ(Entries(box), Lines(expected)) << step.Typed.toStdString();
    }

    // A relative path opens below the folder shown and goes on top.
    const QString below = Folder("d4/below");
    Type(box, "below");
    EXPECT_EQ(main.LocalDir->Directory(), below);
    EXPECT_EQ(Entries(box), Lines(QStringList{below} + expected.mid(0, 9)));

    // Choosing an entry opens it.
    Choose(box, 5);
    EXPECT_EQ(main.LocalDir->Directory(), box.itemText(5));
    EXPECT_EQ(box.currentText(), box.itemText(5));
}

TEST_F(DirectoryBoxes, RemoteHistoryTakesTypedFoldersOnlyWhileConnected)
{
    ScriptedFtpServer server;
    TfrmMain main;
    main.Settings().ConnectionSettings.DefaultPort = server.Port();
    TComboBoxEx& box = *main.cbRemoteDirectory;
    Type(box, "pub");
    TSiteSettings site;
    site.Address = "127.0.0.1";
    site.UserName = "alice";
    site.Password = "secret";
    site.Encryption = enPlainOnly;
    ASSERT_TRUE(main.ConnectToSite(site, {}));
    EXPECT_FALSE(server.Commands().contains("CWD pub"));

    server.SetReply("PWD", "257 \"/pub\" is current directory\r\n");
    Type(box, "pub");
    EXPECT_TRUE(server.Commands().contains("CWD pub"));
    EXPECT_EQ(main.RemoteDir->Directory(), "/pub");
    EXPECT_EQ(Entries(box), Lines({"/pub", "/"}));
}

TEST_F(DirectoryBoxes, VolumeBoxReturnsToTheFolderLastUsedOnAVolume)
{
    const QString a = Folder("a"), b = Folder("b"), c = Folder("c");
    const QString deep = Folder("a/deep/er");
    TfrmMain main;
    main.cmbLocalDrive->SetVolumeSource([&] { return QList<TLocalVolume>{{a, ""}, {b, ""}, {c, "Disk"}}; });
    Show(main);
    TDriveCombo& drives = *main.cmbLocalDrive;
    ASSERT_EQ(Entries(drives), Lines({a, b, "Disk (" + c + ")"}));

    const struct {
        int Volume;
        std::function<void()> Before;
        QString Directory;
    } steps[] = {
        {0, {}, a},  // a volume not used yet: its root
        {1, [&] { main.LocalDir->SetDirectory(deep); }, b},
        {2, {}, c},
        {0, {}, deep},  // back where the pane was on it
        {2, [&] { QDir(deep).removeRecursively(); }, c},
        {0, {}, a},  // that folder is gone: the root
    };
    for (const auto& step : steps) {
        if (step.Before) step.Before();
        Choose(drives, step.Volume);
        EXPECT_EQ(main.LocalDir->Directory().toStdString(), step.Directory.toStdString()) << step.Volume;
        EXPECT_EQ(drives.CurrentRoot(), step.Volume == 0 ? a : step.Volume == 1 ? b : c);
    }
}

TEST_F(DirectoryBoxes, HeaderSortingIsRememberedByTheNextWindow)
{
    ASSERT_TRUE(testfiles::Write(Root.filePath("a-small"), "1"));
    ASSERT_TRUE(testfiles::Write(Root.filePath("b-large"), QByteArray(3000, 'x')));
    ASSERT_TRUE(testfiles::Write(Root.filePath("c-medium"), QByteArray(300, 'x')));
    const auto click = [](QTreeView& view, int column) {
        QHeaderView* header = view.header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    };
    {
        TfrmMain main;
        Show(main);
        click(*main.LocalDir, 1);
        click(*main.LocalDir, 1);  // reversed
        click(*main.RemoteDir, 3);
        EXPECT_TRUE(main.close());
    }
    TfrmMain next;
    Show(next);
    next.LocalDir->SetDirectory(Root.path());
    EXPECT_EQ(next.LocalDir->SortType(), stSize);
    EXPECT_TRUE(next.LocalDir->SortDescending());
    QStringList names;
    for (int i = 0; i < next.LocalDir->ItemCount(); ++i)
        names << next.LocalDir->GetItemInfo(i).Name;
    EXPECT_EQ(Lines(names), "b-large\nc-medium\na-small");
    EXPECT_EQ(next.LocalDir->header()->sortIndicatorSection(), 1);
    EXPECT_EQ(next.LocalDir->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(next.RemoteDir->SortType(), stDate);
    EXPECT_FALSE(next.RemoteDir->SortDescending());
    EXPECT_EQ(next.RemoteDir->header()->sortIndicatorSection(), 3);
}

}  // namespace
