// The remote view's changes to the site: new directories, renames, deletions
// (directories recursively) and permissions. The export of remote trees is
// in FtpFileListViewTree.cpp.
#include "views/remote/FtpFileListView.h"

#include "platform/HandlerGuard.h"
#include "platform/MessageBoxes.h"
#include "views/remote/FtpItem.h"
#include "views/remote/FtpListing.h"

namespace {

const TFileAttributes EveryEntry = TFileAttributes(faFolders | faNormal | faHidden);

// "." and ".." listed below the top of a listing: the directory itself and
// its parent, never entries of it. No walk may enter or delete them.
bool IsDotName(const QString& name)
{
    return name == QLatin1String(".") || name == QLatin1String("..");
}

}  // namespace

// ---- New directories ----

int TFtpFileListView::CreateDirectory(const QString& name, bool refresh, bool makeUnique)
{
    if (!IsReady()) return -1;
    int result = -1;
    QString text = name;
    {
        TBusyScope busy(*this);
        const bool taken = FindItem(name, !FServerIgnoresCase) >= 0;
        if (taken && !makeUnique) {
            result = 1;
        } else {
            if (taken) text = MakeUniqueName(name, QStringLiteral("_%d"));
            if (RunCommand(rkMakeDir, text)) {
                result = 0;
                if (refresh)
                    RefreshList();
                else
                    AddItem({text, {}, 0, 0, QStringLiteral("d---------")});
            }
        }
    }
    RunGuarded("File list", [&] { DirectoryCreated(text, refresh); });
    return result;
}

void TFtpFileListView::AddItem(const TItemInfo& info)
{
    auto record = std::make_unique<TFtpItem>();
    record->Name = info.Name;
    record->Attributes = info.Attributes;
    record->CreatedDirectory = info.Attributes.startsWith(u'd');
    TFtpItem& added = *record;
    ItemList().push_back(std::move(record));
    const int index = RecordCount() - 1;
    if (ItemCount() == index)
        GrowItemCount(1);
    else
        SetItemCount(RecordCount());
    UpdateItemInfo(index, index);
    added.Attributes.clear();
    RedrawItem(index);
}

// ---- Renaming ----

bool TFtpFileListView::RenameItem(int item, QString& newName)
{
    TFtpItem* record = Item(item);
    if (!IsReady() || !record || newName == record->Name) return false;
    const QString old = record->Name;
    // Servers replace an existing target without a word (seen on real ones),
    // so the user is asked first.
    if (OtherItemNamed(newName, item) >= 0 &&
        (!AskYesNo(QStringLiteral("\"%1\" already exists. Replace it?").arg(newName), true)
         // The question ran the event loop: the list may be another now.
         || !IsReady() || IndexOf(record) < 0 || record->Name != old)) {
        newName = old;
        return false;
    }
    TBusyScope busy(*this);
    if (!RunCommand(rkRename, old, 0, newName)) {
        newName = old;
        return false;
    }
    // A disconnection during the wait may have emptied the view.
    if (IndexOf(record) < 0) return true;
    // The replaced entry is gone from the site, so from the list too.
    const int replaced = OtherItemNamed(newName, IndexOf(record));
    if (replaced >= 0) DeleteItemRecord(replaced);
    item = IndexOf(record);
    record->Name = newName;
    record->NeedsUpdate = true;
    UpdateItemInfo(item, item);
    RedrawItem(item);
    if (OnRenameItem) OnRenameItem(this, item, old);
    return true;
}

// Another item with the name, as this server compares names; -1 when none.
int TFtpFileListView::OtherItemNamed(const QString& name, int except) const
{
    const Qt::CaseSensitivity cs = FServerIgnoresCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int i = 0; i < RecordCount(); ++i)
        if (i != except && Item(i) && QString::compare(Item(i)->Name, name, cs) == 0) return i;
    return -1;
}

int TFtpFileListView::IndexOf(const TFtpItem* record) const
{
    for (int i = 0; i < RecordCount(); ++i)
        if (Item(i) == record) return i;
    return -1;
}

// ---- Deleting ----

QList<int> TFtpFileListView::TargetItems(int item, bool selected) const
{
    if (selected) return SelectedItems();
    if (item >= 0 && item < RecordCount()) return {item};
    return {};
}

TFtpFileListView::TDoomedEntry TFtpFileListView::Doomed(int index) const
{
    const TFtpItem* record = Item(index);
    if (!record) return {};
    return {record->Name, TFtpListing::IsDirectory(*record), TFtpListing::IsLink(*record)};
}

bool TFtpFileListView::DeleteItems(int item, bool selected)
{
    if (!IsReady()) return false;
    const QList<int> targets = TargetItems(item, selected);
    if (targets.isEmpty()) return false;
    std::vector<TDoomedEntry> doomed;
    for (int index : targets)
        if (Item(index)) doomed.push_back(Doomed(index));
    // The question names the one item only when exactly one goes; a link
    // goes as a file, its target untouched.
    const bool single = doomed.size() == 1;
    if (FConfirmDeletions && !ConfirmDeletion(int(doomed.size()), single ? doomed.front().Name : QString(),
                                              single && doomed.front().IsDirectory && !doomed.front().IsLink))
        return false;

    TBusyScope busy(*this);
    bool succeeded = false;
    bool removed = false;
    for (auto entry = doomed.rbegin(); entry != doomed.rend(); ++entry) {
        succeeded = DeleteEntry(*entry);
        if (!succeeded) break;
        removed = RemoveRecordNamed(entry->Name) || removed;
    }
    if (removed) ItemsDeleted();
    return succeeded;
}

bool TFtpFileListView::DeleteEntry(const TDoomedEntry& entry)
{
    if (IsDotName(entry.Name)) return false;
    // A link goes as a file: entering it would delete its target's contents.
    if (entry.IsDirectory && !entry.IsLink)
        return FRecursiveDeletions ? DeleteTree(entry.Name) : RunCommand(rkRemoveDir, entry.Name);
    return RunCommand(rkDeleteFile, entry.Name);
}

// Each level is listed once on entry and its parent once on leaving; a
// failure leaves the view where it happened.
bool TFtpFileListView::DeleteTree(const QString& name)
{
    if (!RunCommand(rkChangeDir, name)) return false;
    // Only what was listed is known to be there: without a listing nothing
    // below may be judged empty.
    if (!ShowCurrentDirectory()) return false;
    while (RecordCount() > 0) {
        const TDoomedEntry entry = Doomed(0);
        if (!IsDotName(entry.Name) && !DeleteEntry(entry)) return false;
        RemoveRecordNamed(entry.Name);
    }
    if (!GotoUpperDirectory()) return false;
    return RunCommand(rkRemoveDir, name);
}

// Deleting a directory lists its parent again, so the deleted entry is found
// by its name, never by an index from before.
bool TFtpFileListView::RemoveRecordNamed(const QString& name)
{
    const int index = FindItem(name, true);
    if (index < 0) return false;
    DeleteItemRecord(index);
    return true;
}

// ---- Permissions ----

bool TFtpFileListView::ChangeMode(int item, bool selected, int mode)
{
    if (!IsReady()) return false;
    QStringList names;
    for (int index : TargetItems(item, selected))
        if (Item(index)) names << Item(index)->Name;
    if (names.isEmpty()) return false;
    TBusyScope busy(*this);
    bool succeeded = false;
    for (const QString& name : names) {
        succeeded = RunCommand(rkChmod, name, mode);
        if (!succeeded) break;
    }
    if (succeeded) RefreshList();
    return succeeded;
}
