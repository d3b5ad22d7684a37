// The file commands of both panes: their actions, menus, toolbars and popup
// menus, and what each does with its pane (open, go up, refresh, new
// directory, rename, delete), the remote permissions and custom commands.
#include "app/ActionIcons.h"
#include "app/FilePermissions.h"
#include "app/frmChmod.h"
#include "app/frmMain.h"
#include "platform/HandlerGuard.h"
#include "platform/MessageBoxes.h"
#include "views/local/FileListView.h"
#include "views/remote/FtpFileListView.h"

#include <QBoxLayout>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolBar>

namespace {

// A command both panes have: "actL" or "actR" before its name.
struct TPaneCommandSpec {
    const char* Name;
    const char* Caption;
    const char* LocalHint;
    const char* RemoteHint;
    const char* Icon;
    QList<QKeySequence> Keys;
    void (TfrmMain::*Run)(bool remote);
};

// Each place's order; "" is a separator. The popups start with opening.
QStringList FileCommandLayout(bool remote, bool popup)
{
    if (!remote)
        return QStringList(popup ? QStringList{"actLOpen", ""} : QStringList()) +
               QStringList{"actLUpperLevel", "actLRefresh",    "", "actLMakeDirectory",
                           "actLRenameItem", "actLDeleteItem", "", "actUpload"};
    return QStringList(popup ? QStringList{"actROpen", "actRShow", ""} : QStringList()) +
           QStringList{"actRUpperLevel", "actRRefresh", "", "actRMakeDirectory", "actRRenameItem",
                       "actRDeleteItem", "actChmod",    "", "actDownload"};
}

// The commands whose keys act on the pane that holds the focus. Upload and
// download are the window's: F7 and F8 work from anywhere.
QStringList PaneKeyCommands(bool remote)
{
    QStringList names = FileCommandLayout(remote, true);
    names.removeAll(QString());
    names.removeAll(QStringLiteral("actUpload"));
    names.removeAll(QStringLiteral("actDownload"));
    return names;
}

}  // namespace

void TfrmMain::CreateFileCommandActions()
{
    const char* const rename = "Rename|Renames the selected object";
    const char* const remove = "Delete|Deletes the selected objects";
    const char* const up = "Go to upper directory|Goes to uppery directory";
    const char* const refresh = "Refresh|Refreshes the directory listing";
    const char* const create = "New directory|Creates a new empty directory";
    const TPaneCommandSpec both[] = {
        {"Open",
         "&Open",
         "Open|Opens the file in the application which is registered to handle the file type",
         "Open|Downloads the file to  temporary directory and opens it",
         "open",
         {},
         &TfrmMain::OpenFocusedItem},
        {"UpperLevel",
         "&Go to upper directory",
         up,
         up,
         "up-level",
         {Qt::Key_Backspace, QKeySequence(Qt::ALT | Qt::Key_Up)},
         &TfrmMain::GotoUpperDirectoryIn},
        {"Refresh", "Re&fresh", refresh, refresh, "refresh", {Qt::Key_F5}, &TfrmMain::RefreshPane},
        {"MakeDirectory", "&New directory", create, create, "new-folder", {}, &TfrmMain::MakeDirectoryIn},
        {"RenameItem", "&Rename", rename, rename, "rename", {Qt::Key_F2}, &TfrmMain::RenameFocusedItem},
        {"DeleteItem", "&Delete", remove, remove, "delete", {Qt::Key_Delete}, &TfrmMain::DeleteSelectedItems},
    };
    for (const bool remote : {false, true}) {
        for (const TPaneCommandSpec& spec : both) {
            const QString name =
                (remote ? QStringLiteral("actR") : QStringLiteral("actL")) + QLatin1String(spec.Name);
            QAction* action =
                Actions.Add(name, QString::fromUtf8(spec.Caption),
                            QString::fromUtf8(remote ? spec.RemoteHint : spec.LocalHint),
                            remote ? QStringLiteral("DisabledOnBusy") : QStringLiteral("AlwaysEnabled"));
            action->setIcon(ActionIcon(QLatin1String(spec.Icon)));
            // Both panes have the same keys: each pane's work where the focus is.
            action->setShortcuts(spec.Keys);
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            const auto run = spec.Run;
            connect(action, &QAction::triggered, this,
                    [this, run, remote] { RunGuarded("File command", [&] { (this->*run)(remote); }); });
        }
    }
    const struct {
        const char* Name;
        const char* Caption;
        const char* Hint;
        const char* Icon;
        void (TfrmMain::*Run)();
    } remoteOnly[] = {
        {"actRShow", "&Show", "Show|Downloads the file to a temporary directory and opens it in Notepad",
         "show", &TfrmMain::actRShowExecute},
        {"actChmod", "File &permissions (chmod)...",
         "File permissions (chmod)|Changes the access permissions of the selected files on the site (chmod)",
         "permissions", &TfrmMain::actChmodExecute},
        {"actDoCommand", "&Execute",
         "Execute the command|Executes the given command on the site "
         "(command \"help\" gives usually the list of commands)",
         nullptr, &TfrmMain::actDoCommandExecute},
    };
    for (const auto& spec : remoteOnly) {
        QAction* action = Actions.Add(QLatin1String(spec.Name), QString::fromUtf8(spec.Caption),
                                      QString::fromUtf8(spec.Hint), QStringLiteral("DisabledOnBusy"));
        if (spec.Icon) action->setIcon(ActionIcon(QLatin1String(spec.Icon)));
        const auto run = spec.Run;
        connect(action, &QAction::triggered, this,
                [this, run] { RunGuarded("File command", [&] { (this->*run)(); }); });
    }
}

void TfrmMain::AddFileCommands(QWidget& target, bool remote, bool popup)
{
    for (const QString& name : FileCommandLayout(remote, popup)) {
        if (!name.isEmpty()) {
            target.addAction(Actions[name]);
            continue;
        }
        auto* separator = new QAction(&target);
        separator->setSeparator(true);
        target.addAction(separator);
    }
}

void TfrmMain::AttachPaneCommands(QWidget& pane, QBoxLayout& layout, bool remote)
{
    auto* bar = new QToolBar(&pane);
    bar->setObjectName(remote ? QStringLiteral("tbrRemoteActions") : QStringLiteral("tbrLocalActions"));
    bar->setIconSize(QSize(16, 16));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    AddFileCommands(*bar, remote, false);
    layout.insertWidget(0, bar);
    for (const QString& name : PaneKeyCommands(remote))
        pane.addAction(Actions[name]);

    auto* popup = new QMenu(this);
    popup->setObjectName(remote ? QStringLiteral("mnuRemoteDirActions")
                                : QStringLiteral("mnuLocalDirActions"));
    AddFileCommands(*popup, remote, true);
    popup->setDefaultAction(Actions[remote ? QStringLiteral("actROpen") : QStringLiteral("actLOpen")]);
    TCustomFileListView* view = Pane(remote);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, popup,
            [popup, view](QPoint pos) { popup->popup(view->viewport()->mapToGlobal(pos)); });

    if (!remote) {
        const auto showTop = [this] {
            Actions.SetEnabled(QStringLiteral("actLUpperLevel"), !LocalDir->IsAtTop());
        };
        LocalDir->OnDirectoryChange = [showTop](TCustomFileListView*, const QString&) { showTop(); };
        showTop();
        return;
    }
    // The custom command row is usable exactly when its action is.
    QAction* execute = Actions[QStringLiteral("actDoCommand")];
    btnCustomCommand->setToolTip(execute->toolTip());
    btnCustomCommand->setStatusTip(execute->statusTip());
    for (QWidget* part : {static_cast<QWidget*>(edCustomCommand), static_cast<QWidget*>(btnCustomCommand)}) {
        part->setEnabled(execute->isEnabled());
        connect(execute, &QAction::enabledChanged, part, &QWidget::setEnabled);
    }
    connect(btnCustomCommand, &QPushButton::clicked, execute, &QAction::trigger);
    connect(edCustomCommand, &QLineEdit::returnPressed, execute, &QAction::trigger);
}

// ---- The commands ----

bool TfrmMain::PaneReady(bool remote) const
{
    // An open name editor keeps its keys; the list under it stays as it is.
    const TCustomFileListView* view = Pane(remote);
    if (view->IsEditing()) return false;
    return remote ? CanUseRemote() : !view->IsBusy();
}

void TfrmMain::OpenFocusedItem(bool remote)
{
    if (!PaneReady(remote)) return;
    TCustomFileListView* view = Pane(remote);
    const int item = view->FocusedItem();
    if (item < 0) return;
    if (view->IsDirectoryItem(item)) {
        const TItemInfo info = view->GetItemInfo(item);
        // A link the server refuses to enter leads to a file, as a double click finds.
        if (!view->OpenDirectory(info.Name) && remote && info.Attributes.startsWith(u'l') &&
            RemoteDir->RefusedPermanently() && view->GetItemInfo(item).Name == info.Name)
            OpenRemoteItem(item);
    } else if (remote)
        OpenRemoteItem(item);
    else
        OpenLocalItem(item);
}

void TfrmMain::GotoUpperDirectoryIn(bool remote)
{
    if (PaneReady(remote)) Pane(remote)->GotoUpperDirectory();
}

void TfrmMain::RefreshPane(bool remote)
{
    if (PaneReady(remote)) Pane(remote)->Refresh();
}

void TfrmMain::actRShowExecute()
{
    if (!PaneReady(true)) return;
    const int item = RemoteDir->FocusedItem();
    if (item >= 0 && !RemoteDir->IsDirectoryItem(item)) ShowRemoteItem(item);
}

void TfrmMain::MakeDirectoryIn(bool remote)
{
    if (!PaneReady(remote)) return;
    // The remote outcome reaches the log through the client's events.
    if (remote) {
        RemoteDir->CreateDirectory(QStringLiteral("new_directory"), true, true);
        return;
    }
    if (LocalDir->CreateDirectory(QStringLiteral("New folder"), true, true) != 0)
        ShowMessageBox(QStringLiteral("Failed to create the directory"), true);
}

void TfrmMain::RenameFocusedItem(bool remote)
{
    if (!PaneReady(remote)) return;
    TCustomFileListView* view = Pane(remote);
    if (view->FocusedItem() >= 0) view->BeginRename(view->FocusedItem());
}

void TfrmMain::DeleteSelectedItems(bool remote)
{
    if (!PaneReady(remote)) return;
    TCustomFileListView* view = Pane(remote);
    const QList<int> selected = view->SelectedItems();
    if (selected.size() == 1)
        view->DeleteItems(selected.first(), false);
    else if (selected.size() > 1)
        view->DeleteItems(-1, true);
}

void TfrmMain::actChmodExecute()
{
    if (!PaneReady(true)) return;
    QList<TChmodItem> selected;
    for (int item : RemoteDir->SelectedItems()) {
        const TItemInfo info = RemoteDir->GetItemInfo(item);
        selected.append({info.Name, info.Attributes});
    }
    const TChmodPlan plan = PlanChmod(selected);
    if (plan.Names.isEmpty()) return;
    if (!ChmodDialog) ChmodDialog = new TfrmChmod(this);
    CenterForm(this, *ChmodDialog);
    if (!ChmodDialog->ShowPermissions(plan.Letters, plan.Note)) return;
    // Items whose permissions could not be read are left out of the change.
    SelectRemoteItems(plan.Names);
    if (RemoteDir->ChangeMode(-1, true, ChmodDialog->Mode()))
        LogSuccess(QStringLiteral("File permissions changed successfully"));
    else
        LogError(QStringLiteral("Failed to change the file permissions"));
}

void TfrmMain::SelectRemoteItems(const QStringList& names)
{
    QItemSelectionModel* selection = RemoteDir->selectionModel();
    selection->clear();
    for (const QString& name : names) {
        const int item = RemoteDir->FindItem(name, true);
        if (item >= 0)
            selection->select(RemoteDir->model()->index(item, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

void TfrmMain::actDoCommandExecute()
{
    if (!CanUseRemote()) return;
    const QString text = edCustomCommand->text();
    if (!text.isEmpty()) {
        // The server's reply lines reach the log as they come.
        if (RemoteDir->SendCommand(QStringLiteral("SITE ") + text))
            LogSuccess(QStringLiteral("Command executed successfully"));
        else
            LogError(QStringLiteral("Failed to execute the command"));
    }
    edCustomCommand->clear();
    edCustomCommand->setFocus();
}
