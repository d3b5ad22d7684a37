// The local pane's changes to the disk: deleting, renaming and new folders.
#include "views/local/FileListView.h"

#include "platform/HandlerGuard.h"
#include "platform/MessageBoxes.h"
#include "views/framework/ListRules.h"
#include "views/local/LocalFolder.h"
#include "views/local/ShellItem.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>

namespace {

struct TDeletion {
    QString Path;
    QString Name;           // as shown
    bool IsFolder = false;  // a folder, or a link to one
    bool IsLink = false;
    // A link whose target is gone: the trash refuses it, so it is removed
    // for good, and the question says so.
    bool IsBroken = false;
};

TDeletion DeletionOf(const QString& path, const QString& name, bool isFolder)
{
    const QFileInfo info(path);
    const bool link = info.isSymLink();
    return {path, name, isFolder, link, link && !info.exists()};
}

QString Quoted(const QString& name)
{
    return u'"' + name + u'"';
}

// The question about one item.
QString SingleQuestion(const TDeletion& item, bool toTrash)
{
    const QString name = Quoted(item.Name);
    if (item.IsBroken) return QStringLiteral("Delete the broken link %1 for good?").arg(name);
    if (item.IsLink && item.IsFolder)
        return (toTrash ? QStringLiteral("Move the link %1 to the trash?")
                        : QStringLiteral("Delete the link %1 for good?"))
                   .arg(name) +
               QStringLiteral(" Only the link goes; the folder it points to stays as it is.");
    if (toTrash) return QStringLiteral("Move %1 to the trash?").arg(name);
    if (item.IsFolder) return QStringLiteral("Delete the folder %1 and everything in it for good?").arg(name);
    return QStringLiteral("Delete %1 for good?").arg(name);
}

// What the desktop would ask before deleting.
bool ConfirmWithUser(const QList<TDeletion>& deletions, bool toTrash)
{
    const bool anyBroken =
        std::any_of(deletions.begin(), deletions.end(), [](const TDeletion& d) { return d.IsBroken; });
    QString text;
    if (deletions.size() == 1)
        text = SingleQuestion(deletions.first(), toTrash);
    else if (!toTrash)
        text = QStringLiteral("Delete these %1 items for good?").arg(deletions.size());
    else
        text = QStringLiteral("Move these %1 items to the trash?").arg(deletions.size()) +
               (anyBroken ? QStringLiteral("\r\nBroken links among them are deleted for good.") : QString());
    return AskYesNo(text, !toTrash || anyBroken);
}

// Deletes each entry; gone gets the paths that went. Failures are shown in
// one message; true when nothing failed.
bool DeletePaths(const QList<TDeletion>& deletions, bool toTrash, QStringList& gone)
{
    QStringList failures;
    for (const TDeletion& deletion : deletions) {
        QString error;
        const bool deleted = toTrash && !deletion.IsBroken
                                 ? TLocalFolder::MoveToTrash(deletion.Path, error)
                                 : TLocalFolder::RemoveForGood(deletion.Path, error);
        if (deleted)
            gone << deletion.Path;
        else
            failures << Quoted(deletion.Name) + QStringLiteral(": ") + error;
    }
    if (failures.isEmpty()) return true;
    ShowMessageBox((toTrash ? QStringLiteral("Could not move to the trash:\r\n")
                            : QStringLiteral("Could not delete:\r\n")) +
                       failures.join(QStringLiteral("\r\n")),
                   true);
    return false;
}

}  // namespace

void TFileListView::HandleKey(int key, Qt::KeyboardModifiers shift)
{
    const bool forGood =
        key == Qt::Key_Delete && shift.testFlag(Qt::ShiftModifier) && FFileActionFlags.testFlag(faAllowUndo);
    if (!forGood) {
        TVirtualCustomFileListView::HandleKey(key, shift);
        return;
    }
    FFileActionFlags &= ~TFileActionFlags(faAllowUndo);
    const auto restore = qScopeGuard([this] { FFileActionFlags |= faAllowUndo; });
    TVirtualCustomFileListView::HandleKey(key, shift);
}

bool TFileListView::DeleteItems(int item, bool selected)
{
    TBusyScope busy(*this);
    QList<int> items;
    if (item >= 0)
        items << item;
    else if (selected)
        items = SelectedItems();
    QList<TDeletion> deletions;
    for (int i : items) {
        if (!Item(i)) return false;
        // A volume is simply never deleted from here.
        if (FInComputerFolder) return false;
        if (!ItemCapabilities(i, false).testFlag(icCanDelete)) {
            ShowMessageBox(QStringLiteral("Cannot delete %1: its name is not valid UTF-8")
                               .arg(Quoted(Item(i)->DisplayName)),
                           true);
            return false;
        }
        deletions.append(DeletionOf(Item(i)->ItemId, Item(i)->DisplayName, Item(i)->IsFolder));
    }
    if (deletions.isEmpty()) return false;
    // Deleting a link never reaches into the folder it points to.
    const bool single = deletions.size() == 1;
    if (!ConfirmDeletion(int(deletions.size()), single ? deletions[0].Name : QString(),
                         single && deletions[0].IsFolder && !deletions[0].IsLink))
        return false;
    const bool toTrash = FFileActionFlags.testFlag(faAllowUndo);
    if (FFileActionFlags.testFlag(faShowConfirmationBox) && !ConfirmWithUser(deletions, toTrash))
        return false;
    // The questions ran the event loop, so the records are found again by
    // path rather than trusted to be where they were.
    QStringList gone;
    const bool all = DeletePaths(deletions, toTrash, gone);
    for (int i = RecordCount() - 1; i >= 0; --i)
        if (Item(i) && gone.contains(Item(i)->ItemId)) DeleteItemRecord(i);
    // What is gone leaves the list even when something else could not go.
    if (!gone.isEmpty()) ItemsDeleted();
    return all;
}

bool TFileListView::CanEdit(int item)
{
    return TVirtualCustomFileListView::CanEdit(item) && ItemCapabilities(item, false).testFlag(icCanRename);
}

bool TFileListView::RenameItem(int item, QString& newName)
{
    TShellItem* record = Item(item);
    if (!record || newName == record->DisplayName) return false;
    TBusyScope busy(*this);
    const QString old = record->DisplayName;
    if (!ItemCapabilities(item, false).testFlag(icCanRename)) {
        newName = old;
        return false;
    }
    QString error;
    if (!TLocalFolder::Rename(record->ItemId, newName, error)) {
        ShowMessageBox(QStringLiteral("Cannot rename %1 to %2: %3").arg(Quoted(old), Quoted(newName), error),
                       true);
        newName = old;
        return false;
    }
    record->ItemId = QDir::cleanPath(QFileInfo(record->ItemId).path() + u'/' + newName);
    record->DisplayName = record->FileName = newName;
    record->Icon = QIcon();
    record->NeedsUpdate = true;
    UpdateItemInfo(item, item);
    if (OnRenameItem) OnRenameItem(this, item, old);
    return true;
}

int TFileListView::CreateDirectory(const QString& name, bool refresh, bool makeUnique)
{
    QString made = name;
    int result = -1;
    {
        TBusyScope busy(*this);
        result = MakeDirectory(made, makeUnique);
    }
    // Only a folder just made is opened for its name: opening an existing
    // one would invite renaming the wrong folder.
    if (result == 0) RunGuarded("File list", [&] { DirectoryCreated(made, refresh); });
    return result;
}

// 0 made (name is then the name used), 1 listed already, -1 failed.
int TFileListView::MakeDirectory(QString& name, bool makeUnique)
{
    if (FInComputerFolder || !HasWindow() || !TLocalFolder::IsValidName(name)) return -1;
    if (FindItem(name, false) >= 0) {
        if (!makeUnique) return 1;
        // A candidate is taken when it is listed or merely on disk (a hidden
        // entry the view does not list).
        name = TListRules::MakeUniqueName(name, QStringLiteral(" (%d)"), [this](const QString& c) {
            return FindItem(c, false) >= 0 || TLocalFolder::Exists(ChildPath(c));
        });
    }
    if (!QDir(Directory()).mkdir(name)) return -1;
    AddItem({name, {}, 0, 0, {}});
    return 0;
}
