// The file commands of both panes as a user gives them in the main window,
// against a real FTP server: new directories, renaming, deleting,
// permissions, custom commands, the keys of each pane and the order of the
// commands in menus, toolbars and popups.
#include "MainWindowOnSite.h"
#include "app/StatusLog.h"
#include "app/frmMain.h"
#include "platform/PumpedWait.h"
#include "support/PyFtpdServer.h"
#include "support/SelectRows.h"
#include "support/TestFiles.h"
#include "support/dialogs/ScriptedDialogs.h"
#include "views/local/FileListView.h"
#include "views/remote/FtpFileListView.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class FileCommands : public MainWindowOnSite {
protected:
    TCustomFileListView& Pane(bool remote) const
    {
        if (remote) return *Main.RemoteDir;
        return *Main.LocalDir;
    }
    // The pane's own command: "actL" or "actR" before name.
    void Trigger(bool remote, const char* name)
    {
        Main.Actions[(remote ? QStringLiteral("actR") : QStringLiteral("actL")) + QLatin1String(name)]
            ->trigger();
    }

    // The pane lists what is on disk now, and the item is the focused one.
    static void Focus(TCustomFileListView& view, const QStringList& names)
    {
        view.Refresh();
        QList<int> rows;
        for (const QString& name : names) {
            rows << view.FindItem(name, true);
            ASSERT_GE(rows.last(), 0) << name.toStdString();
        }
        SelectRows(view, rows);
    }
    static QLineEdit* Editor(TCustomFileListView& view)
    {
        return qobject_cast<QLineEdit*>(view.indexWidget(view.currentIndex()));
    }
};

TEST_F(FileCommands, NewDirectoryTakesAFreeNameAndOpensItForRenaming)
{
    Connect();
    ASSERT_TRUE(QDir(Local.path()).mkdir("New folder"));
    ASSERT_TRUE(QDir(Server.RootPath()).mkdir("new_directory"));
    for (const bool remote : {false, true}) {
        const QString made = remote ? "new_directory_2" : "New folder (2)";
        TCustomFileListView& view = Pane(remote);
        view.Refresh();
        Trigger(remote, "MakeDirectory");
        EXPECT_TRUE(QFileInfo(remote ? Remote(made) : LocalPath(made)).isDir()) << Log().toStdString();
        ASSERT_TRUE(view.IsEditing()) << made.toStdString();
        EXPECT_EQ(view.GetItemInfo(view.currentIndex().row()).Name, made);
        QTest::keyClick(Editor(view), Qt::Key_Escape);
    }
    EXPECT_TRUE(Main.Status->Lines().contains("Directory created successfully"));
    EXPECT_TRUE(Dialogs.Asked.empty());

    // The local folder shown goes away behind the pane's back.
    ASSERT_TRUE(QDir(Local.path()).mkdir("gone"));
    Main.LocalDir->SetDirectory(LocalPath("gone"));
    ASSERT_TRUE(QDir(Local.path()).rmdir("gone"));
    Trigger(false, "MakeDirectory");
    ASSERT_EQ(Dialogs.Asked.size(), 1u);
    EXPECT_EQ(Dialogs.Asked[0].Text, "Failed to create the directory");
    EXPECT_TRUE(Dialogs.Asked[0].Alert);
}

TEST_F(FileCommands, RenameAndDeleteWorkOnEachPane)
{
    Connect();
    // Deleting for good: a test's trash could lie on another file system.
    Main.LocalDir->SetFileActionFlags(faShowConfirmationBox);
    for (const bool remote : {false, true}) {
        const auto path = [&](const QString& name) { return remote ? Remote(name) : LocalPath(name); };
        ASSERT_TRUE(testfiles::Write(path("old.txt"), "x"));
        ASSERT_TRUE(testfiles::Write(path("other.txt"), "y"));
        TCustomFileListView& view = Pane(remote);
        Focus(view, {"old.txt"});
        Trigger(remote, "RenameItem");
        QLineEdit* editor = Editor(view);
        ASSERT_NE(editor, nullptr) << "remote " << remote;
        editor->setText("new.txt");
        QTest::keyClick(editor, Qt::Key_Return);  // the view takes the name once the editor has closed
        EXPECT_TRUE(WaitUntilFor([&] { return QFile::exists(path("new.txt")); }, 10000))
            << "remote " << remote << "\n"
            << Log().toStdString();
        EXPECT_FALSE(QFile::exists(path("old.txt")));

        // Two selected items go with one question.
        Focus(view, {"new.txt", "other.txt"});
        const size_t asked = Dialogs.Asked.size();
        Dialogs.Answer(mrYes);
        Trigger(remote, "DeleteItem");
        ASSERT_EQ(Dialogs.Asked.size(), asked + 1);
        if (remote) {
            EXPECT_EQ(Dialogs.Asked.back().Text, "Are you sure you want to delete 2 objects?");
        }
        EXPECT_FALSE(QFile::exists(path("new.txt"))) << "remote " << remote;
        EXPECT_FALSE(QFile::exists(path("other.txt")));
    }
    EXPECT_TRUE(Main.Status->Lines().contains("Object renamed successfully"));
}

TEST_F(FileCommands, PermissionsChangeAsChosenAndKeepTheSpecialBits)
{
    const struct {
        const char* Name;
        mode_t Before;
        const char* Shown;  // edAsOctal as the dialog opens
        const char* Boxes;  // chk1 .. chk9 as the user leaves them
        const char* Sent;
        mode_t After;
        const char* Listed;
    } cases[] = {
        {"plain.txt", 0644, "644", "110100000", "SITE chmod 640 plain.txt", 0640, "-rw-r-----"},
        // Only the others' read changes: setuid stays.
        {"tool", 04755, "4755", "111101001", "SITE chmod 4751 tool", 04751, "-rwsr-x--x"},
        // No bit for the owner: the mode still goes as three digits.
        {"shared.txt", 0644, "644", "000100100", "SITE chmod 044 shared.txt", 0044, "----r--r--"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(testfiles::Write(Remote(c.Name), "#!/bin/sh\n"));
        ASSERT_EQ(::chmod(QFile::encodeName(Remote(c.Name)).constData(), c.Before), 0);
    }
    // By "LIST": pyftpdlib's "MLSD" gives the mode without its setuid,
    // setgid and sticky bits, which the table needs.
    ForceList = true;
    Connect();
    for (const auto& c : cases) {
        Focus(*Main.RemoteDir, {c.Name});
        QString shown;
        Dialogs.OnModal([&](QDialog& dialog) {
            shown = dialog.findChild<QLineEdit*>("edAsOctal")->text();
            for (int i = 0; i < 9; ++i)
                dialog.findChild<QCheckBox*>(QStringLiteral("chk%1").arg(i + 1))
                    ->setChecked(c.Boxes[i] == '1');
            return int(QDialog::Accepted);
        });
        Main.Actions[QStringLiteral("actChmod")]->trigger();
        EXPECT_EQ(shown, c.Shown) << c.Name;
        EXPECT_TRUE(Main.Status->Lines().contains(c.Sent)) << Log().toStdString();
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(Remote(c.Name)).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, c.After) << c.Name;
        Main.RemoteDir->Refresh();
        EXPECT_EQ(Main.RemoteDir->GetItemInfo(Main.RemoteDir->FindItem(c.Name, true)).Attributes, c.Listed);
    }
    EXPECT_EQ(Main.Status->Lines().count("File permissions changed successfully"), 3);
}

TEST_F(FileCommands, CustomCommandsGoAsSiteCommandsAndTheBoxEmpties)
{
    Connect();
    const struct {
        const char* Typed;
        const char* Reply;    // the start of a reply line the log shows
        const char* Outcome;  // nullptr: nothing is sent, nothing logged
    } cases[] = {
        {"HELP", "214", "Command executed successfully"},
        {"NOSUCHTHING", "50", "Failed to execute the command"},
        {"", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        const QStringList before = Main.Status->Lines();
        QTest::keyClicks(Main.edCustomCommand, c.Typed);
        Main.btnCustomCommand->click();
        const QStringList added = Main.Status->Lines().mid(before.size());
        if (c.Outcome) {
            EXPECT_TRUE(added.contains(QStringLiteral("SITE %1").arg(c.Typed)))
                << added.join('\n').toStdString();
            EXPECT_FALSE(added.filter(QRegularExpression(QStringLiteral("^") + c.Reply)).isEmpty())
                << added.join('\n').toStdString();
            EXPECT_EQ(added.last(), c.Outcome);
        } else {
            EXPECT_TRUE(added.isEmpty()) << added.join('\n').toStdString();
        }
        EXPECT_TRUE(Main.edCustomCommand->text().isEmpty()) << c.Typed;
        EXPECT_EQ(Main.focusWidget(), Main.edCustomCommand) << c.Typed;
    }
    // Enter in the box sends as the button does.
    QTest::keyClicks(Main.edCustomCommand, "HELP");
    QTest::keyClick(Main.edCustomCommand, Qt::Key_Return);
    EXPECT_EQ(Main.Status->Lines().last(), "Command executed successfully");
}

TEST_F(FileCommands, KeysActOnThePaneThatHasTheFocus)
{
    ASSERT_TRUE(QDir(Local.path()).mkdir("sub"));
    ASSERT_TRUE(QDir(Server.RootPath()).mkdir("sub"));
    Connect();
    Main.LocalDir->SetDirectory(LocalPath("sub"));
    ASSERT_TRUE(Main.RemoteDir->OpenDirectory("sub"));
    Main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Main));

    Main.RemoteDir->setFocus();
    QTest::keyClick(Main.RemoteDir, Qt::Key_Backspace);
    EXPECT_EQ(Main.RemoteDir->Directory(), "/");
    EXPECT_EQ(Main.LocalDir->Directory(), LocalPath("sub"));

    Main.LocalDir->setFocus();
    QTest::keyClick(Main.LocalDir, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(Main.LocalDir->Directory(), Local.path());
    EXPECT_EQ(Main.RemoteDir->Directory(), "/");

    Focus(*Main.RemoteDir, {"sub"});
    Main.RemoteDir->setFocus();
    QTest::keyClick(Main.RemoteDir, Qt::Key_F2);
    EXPECT_TRUE(Main.RemoteDir->IsEditing());
    EXPECT_FALSE(Main.LocalDir->IsEditing());
}

// Names of a menu's or toolbar's items in order, "-" for a separator.
QStringList Items(const QWidget* holder)
{
    QStringList names;
    for (const QAction* action : holder->actions())
        names << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    return names;
}

TEST(FileCommandPlaces, EachPaneHasItsCommandsInOrderEnabledWhenTheyCanRun)
{
    TScriptedDialogs dialogs;
    TfrmMain main;
    const QStringList local{"actLUpperLevel", "actLRefresh",    "-", "actLMakeDirectory",
                            "actLRenameItem", "actLDeleteItem", "-", "actUpload"};
    const QStringList remote{"actRUpperLevel", "actRRefresh", "-", "actRMakeDirectory", "actRRenameItem",
                             "actRDeleteItem", "actChmod",    "-", "actDownload"};
    const struct {
        const char* Holder;
        QStringList Names;
    } cases[] = {
        {"mnuLocalDir", local},
        {"tbrLocalActions", local},
        {"mnuLocalDirActions", QStringList{"actLOpen", "-"} + local},
        {"mnuRemoteDir", remote},
        {"tbrRemoteActions", remote},
        {"mnuRemoteDirActions", QStringList{"actROpen", "actRShow", "-"} + remote},
    };
    for (const auto& c : cases) {
        const QWidget* holder = main.findChild<QWidget*>(QLatin1String(c.Holder));
        ASSERT_NE(holder, nullptr) << c.Holder;
        EXPECT_EQ(Items(holder), c.Names) << c.Holder;
    }
    EXPECT_EQ(main.findChild<QMenu*>("mnuLocalDirActions")->defaultAction()->objectName(), "actLOpen");
    EXPECT_EQ(main.findChild<QMenu*>("mnuRemoteDirActions")->defaultAction()->objectName(), "actROpen");

    // Not connected: the remote side waits for a site, the local one is there.
    EXPECT_FALSE(main.Actions[QStringLiteral("actRRefresh")]->isEnabled());
    EXPECT_FALSE(main.edCustomCommand->isEnabled());
    EXPECT_FALSE(main.btnCustomCommand->isEnabled());
    EXPECT_TRUE(main.Actions[QStringLiteral("actLRefresh")]->isEnabled());
    // Going up is offered exactly where there is an up.
    QTemporaryDir folder;
    main.show();
    main.LocalDir->SetDirectory(folder.path());
    ASSERT_EQ(main.LocalDir->Directory(), folder.path());
    EXPECT_TRUE(main.Actions[QStringLiteral("actLUpperLevel")]->isEnabled());
    main.LocalDir->SetDirectory(QStringLiteral("/"));
    EXPECT_FALSE(main.Actions[QStringLiteral("actLUpperLevel")]->isEnabled());
}

}  // namespace
