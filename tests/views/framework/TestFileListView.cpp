#include "TestFileListView.h"

#include "views/framework/ListRules.h"

#include <QPixmap>

TTestFileListView::TTestFileListView(QWidget* parent) : TVirtualCustomFileListView(parent)
{
    SetCompare([this](const TFileListItem& a, const TFileListItem& b) {
        ++Compares;
        if (ThrowInCompare) throw std::runtime_error("compare");
        auto& x = static_cast<const TTestItem&>(a);
        auto& y = static_cast<const TTestItem&>(b);
        TItemInfo ix{x.Entry.Name, x.TypeName, x.Entry.Size, x.Entry.Date, {}};
        TItemInfo iy{y.Entry.Name, y.TypeName, y.Entry.Size, y.Entry.Date, {}};
        return TListRules::CompareItems(x.Entry.IsDir, ix, y.Entry.IsDir, iy, SortType(), SortDescending());
    });
}

QStringList TTestFileListView::Names() const
{
    QStringList names;
    for (const auto& record : ItemList())
        names << record->ItemName();
    return names;
}

void TTestFileListView::ShowEntries(const QList<TTestEntry>& entries)
{
    Disk = entries;
    RefreshList();
}

void TTestFileListView::Append(const TTestEntry& entry)
{
    auto item = std::make_unique<TTestItem>();
    item->Entry = entry;
    ItemList().push_back(std::move(item));
}

bool TTestFileListView::RefreshList()
{
    Calls << "Refresh";
    ClearItems();
    for (const TTestEntry& entry : Disk)
        if (FileAttributes() & (entry.IsDir ? faFolders : faNormal)) Append(entry);
    SortItems();
    ListRefreshed();
    return true;
}

TItemInfo TTestFileListView::GetItemInfo(int item)
{
    if (!Item(item)) return {};
    UpdateItemInfo(item, item);
    const TTestItem& r = *Item(item);
    return {r.Entry.Name, r.TypeName, r.Entry.Size, r.Entry.Date, {}};
}

bool TTestFileListView::GotoUpperDirectory()
{
    Calls << "Up";
    return true;
}

bool TTestFileListView::OpenDirectory(const QString& name)
{
    Calls << "Open " + name;
    return true;
}

int TTestFileListView::CreateDirectory(const QString& name, bool refresh, bool makeUnique)
{
    QString text = name;
    if (FindItem(name, true) >= 0) {
        if (!makeUnique) return 1;
        text = MakeUniqueName(name, "_%d");
    }
    Disk << TTestEntry{text, true};
    if (refresh)
        RefreshList();
    else
        AddItem({text, {}, 0, 0, "d"});
    DirectoryCreated(text, refresh);
    return 0;
}

bool TTestFileListView::RenameItem(int item, QString& newName)
{
    const QString old = Item(item)->Entry.Name;
    Calls << "Rename " + old + " -> " + newName;
    if (RefuseRenames) {
        newName = old;
        return false;
    }
    Item(item)->Entry.Name = newName;
    if (OnRenameItem) OnRenameItem(this, item, old);
    return true;
}

bool TTestFileListView::DeleteItems(int item, bool selected)
{
    Calls << QString("Delete %1 %2").arg(item).arg(selected ? "true" : "false");
    const QList<int> items = selected ? SelectedItems() : QList<int>{item};
    if (items.isEmpty() || !ConfirmDeletion(SelCount(), selected ? QString() : Item(item)->ItemName(),
                                            IsDirectoryItem(items.first())))
        return false;
    for (qsizetype i = items.size() - 1; i >= 0; --i)
        DeleteItemRecord(items[i]);
    ItemsDeleted();
    return true;
}

bool TTestFileListView::IsDirectoryItem(int item) const
{
    return Item(item) && Item(item)->Entry.IsDir;
}

std::unique_ptr<TDirectory> TTestFileListView::GetItemTree(int item, bool recursive)
{
    const QString name = Item(item)->Entry.Name;
    Calls << QString("Tree %1 busy=%2").arg(name).arg(IsBusy());
    if (UnreadableTrees.contains(name)) return nullptr;
    auto tree = std::make_unique<TDirectory>(name);
    tree->Contents.Files << "inner.txt";
    if (recursive) tree->Contents.AddDirectory(std::make_unique<TDirectory>("deeper"));
    return tree;
}

void TTestFileListView::AddItem(const TItemInfo& info)
{
    Append({info.Name, info.Attributes.startsWith('d')});
    GrowItemCount(1);
    UpdateItemInfo(RecordCount() - 1, RecordCount() - 1);
    RedrawItem(RecordCount() - 1);
}

int TTestFileListView::FindItemData(TFindKind find, const QString& text, int start, bool wrap)
{
    const QList<int> selected = ChosenItems();
    return FindNamePrefix(find, text, start, wrap, selected.isEmpty() ? -1 : selected.first());
}

void TTestFileListView::FreeItem(int index)
{
    ItemList()[size_t(index)].reset();
    ++Freed;
}

void TTestFileListView::FillListItem(int index, TListItem& item)
{
    const TTestItem& r = *Item(index);
    item.Caption = r.Entry.Name;
    static const QIcon icon = [] {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::darkYellow);
        return QIcon(pixmap);
    }();
    item.Icon = icon;
    item.Ghosted = r.Entry.Name.startsWith("link");
    item.SubItems = {r.Entry.IsDir ? QString() : QString::number(r.Entry.Size) + " " + SizeString(),
                     r.TypeName, QString::number(r.Entry.Date)};
    if (!r.Entry.IsDir) item.ByteCount = r.Entry.Size;
}

void TTestFileListView::UpdateItemInfo(int first, int last)
{
    for (int i = first; i <= last; ++i) {
        TTestItem* r = Item(i);
        if (!r || !r->NeedsUpdate) continue;
        r->TypeName = r->Entry.IsDir ? "Folder" : r->Entry.Name.section('.', -1).toUpper() + " file";
        r->NeedsUpdate = false;
        ++Updated;
    }
}

void TTestFileListView::HandleDroppedFiles(const QStringList& files)
{
    Calls << "Dropped " + files.join(',');
}
