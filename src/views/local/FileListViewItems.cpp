// The local pane's records: how they are made, shown, sorted, found and
// described to callers.
#include "views/local/FileListView.h"

#include "views/framework/ListRules.h"
#include "views/local/LocalFolder.h"
#include "views/local/ShellItem.h"
#include "views/tree/Directory.h"

#include <QFileIconProvider>
#include <QFileInfo>

namespace {

QIcon IconOf(const TShellItem& item, bool isVolume)
{
    static const QFileIconProvider provider;
    return isVolume ? provider.icon(QAbstractFileIconProvider::Drive) : provider.icon(QFileInfo(item.ItemId));
}

TItemInfo InfoOf(const TShellItem& item)
{
    return {item.FileName, item.TypeName, item.Size, item.Date, {}};
}

}  // namespace

TShellItem* TFileListView::Item(int index) const
{
    return static_cast<TShellItem*>(Record(index));
}

void TFileListView::AppendItem(const QString& path, const QString& displayName, const QString& fileName,
                               bool isFolder, bool exactName)
{
    auto item = std::make_unique<TShellItem>();
    item->ItemId = path;
    item->DisplayName = displayName;
    item->FileName = fileName;
    item->IsFolder = isFolder;
    item->ExactName = exactName;
    ItemList().push_back(std::move(item));
}

void TFileListView::AddItem(const TItemInfo& info)
{
    if (FInComputerFolder || !TLocalFolder::IsValidName(info.Name)) return;
    const QString path = ChildPath(info.Name);
    if (!TLocalFolder::Exists(path)) return;
    AppendItem(path, info.Name, info.Name, QFileInfo(path).isDir());
    const int last = RecordCount() - 1;
    GrowItemCount(1);
    UpdateItemInfo(last, last);
    RedrawItem(last);
}

void TFileListView::FreeItem(int index)
{
    ItemList()[size_t(index)].reset();
}

void TFileListView::UpdateItemInfo(int first, int last)
{
    for (int i = first; i <= last; ++i)
        if (TShellItem* item = Item(i); item && item->NeedsUpdate) item->Update(FInComputerFolder);
}

void TFileListView::FillListItem(int index, TListItem& item)
{
    TShellItem& record = *Item(index);
    item.Caption = record.DisplayName;
    item.Ghosted = record.IsLink;
    if (ShowIcons()) {
        if (record.Icon.isNull()) record.Icon = IconOf(record, FInComputerFolder);
        item.Icon = record.Icon;
    }
    const QString size = record.SizeText.isEmpty() ? QString() : record.SizeText + u' ' + SizeString();
    item.SubItems = {size, record.TypeName, record.DateText};
    if (!size.isEmpty()) item.ByteCount = record.Size;
}

TItemInfo TFileListView::GetItemInfo(int item)
{
    if (!Item(item)) return {};
    UpdateItemInfo(item, item);
    return InfoOf(*Item(item));
}

bool TFileListView::IsDirectoryItem(int item) const
{
    return Item(item) && Item(item)->IsFolder;
}

QString TFileListView::ItemPath(int item) const
{
    return Item(item) ? Item(item)->ItemId : QString();
}

TItemCapabilities TFileListView::ItemCapabilities(int item, bool selected) const
{
    if (!selected) {
        if (!Item(item)) return {};
        // Its path would lead to another entry or none: hands off.
        if (!Item(item)->ExactName) return {};
        // A volume can be copied from, never renamed, moved or deleted.
        if (FInComputerFolder) return icCanCopy;
        return TItemCapabilities(icCanRename | icCanCopy | icCanMove | icCanDelete);
    }
    const QList<int> items = SelectedItems();
    if (items.isEmpty()) return {};
    TItemCapabilities common(icCanCopy | icCanMove | icCanDelete);
    for (int i : items)
        common &= ItemCapabilities(i, false);
    return common;
}

std::unique_ptr<TDirectory> TFileListView::GetItemTree(int item, bool recursive)
{
    return Item(item) ? TLocalFolder::ReadTree(Item(item)->ItemId, recursive) : nullptr;
}

int TFileListView::FindItemData(TFindKind find, const QString& text, int start, bool wrap)
{
    const QList<int> selected = ChosenItems();
    return FindNamePrefix(find, text, start, wrap, selected.size() == 1 ? selected.first() : -1);
}

void TFileListView::SortItems()
{
    // The volumes keep their order: "/" first, the rest as they were mounted.
    if (!FInComputerFolder) TVirtualCustomFileListView::SortItems();
}

// Folders first, then the sort key, then the name, so that sorting by size,
// type or date really orders by it; a reversed order reverses both.
int TFileListView::Compare(const TShellItem& a, const TShellItem& b) const
{
    const bool descending = SortDescending();
    const int byKey =
        TListRules::CompareItems(a.IsFolder, InfoOf(a), b.IsFolder, InfoOf(b), SortType(), descending);
    if (byKey != 0 || SortType() == stName) return byKey;
    return TListRules::CompareItems(a.IsFolder, InfoOf(a), b.IsFolder, InfoOf(b), stName, descending);
}
