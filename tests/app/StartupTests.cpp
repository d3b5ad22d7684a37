// The program as main() starts it: identity, the first window, and what one
// run leaves behind for the next.
#include "app/ProgramStart.h"
#include "app/StatusLog.h"
#include "app/frmMain.h"
#include "settings/Settings.h"
#include "views/local/FileListView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ProgramStart, OpensNotConnectedAndTheNextRunResumesSizeAndFolder)
{
    SetApplicationIdentity();
    EXPECT_EQ(QCoreApplication::applicationName(), "QuilloFTP");
    // The first run finds no store, whatever other tests of this program left.
    QFile::remove(TSettings::DefaultStoreFileName());
    ASSERT_FALSE(QFileInfo::exists(TSettings::DefaultStoreFileName()));
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = QFileInfo(folder.path()).canonicalFilePath();
    {
        const std::unique_ptr<TfrmMain> window = ShowMainWindow();
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->windowTitle(), "Not connected - QuilloFTP");
        EXPECT_EQ(window->Status->Lines().first(), "QuilloFTP 1.01 - 12.5.2000");
        EXPECT_TRUE(QFileInfo::exists(TSettings::DefaultStoreFileName()));

        window->resize(812, 533);
        window->LocalDir->SetDirectory(path);
        EXPECT_TRUE(window->close());
    }
    const std::unique_ptr<TfrmMain> next = ShowMainWindow();
    EXPECT_EQ(next->size(), QSize(812, 533));
    EXPECT_EQ(next->LocalDir->Directory(), path);
}
