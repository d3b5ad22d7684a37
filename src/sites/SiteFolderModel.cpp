#include "sites/SiteFolderModel.h"

#include <QCollator>
#include <QMimeData>
#include <QPalette>
#include <algorithm>

namespace {

// The image of a selected folder is the open one.
QIcon WithSelectedImage(const QIcon& closed, const QIcon& open)
{
    QIcon icon;
    for (int size : {16, 24}) {
        icon.addPixmap(closed.pixmap(size, size), QIcon::Normal);
        icon.addPixmap(open.pixmap(size, size), QIcon::Selected);
        icon.addPixmap(closed.pixmap(size, size, QIcon::Disabled), QIcon::Disabled);
    }
    return icon;
}

}  // namespace

TSiteFolderModel::TSiteFolderModel(QObject* parent)
    : QAbstractItemModel(parent), FTop(std::make_unique<TSiteFolder>())
{}

void TSiteFolderModel::Reset(std::unique_ptr<TSiteFolder> top)
{
    beginResetModel();
    FTop = std::move(top);
    endResetModel();
}

TSiteFolder* TSiteFolderModel::Folder(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<TSiteFolder*>(index.internalPointer()) : nullptr;
}

QModelIndex TSiteFolderModel::IndexOf(const TSiteFolder* folder) const
{
    if (!folder || folder == FTop.get() || !folder->Parent()) return {};
    return createIndex(folder->Row(), 0, const_cast<TSiteFolder*>(folder));
}

TSiteFolder* TSiteFolderModel::FirstFolder() const
{
    return FTop->ChildCount() > 0 ? FTop->Child(0) : nullptr;
}

TSiteFolder* TSiteFolderModel::AddFolder(TSiteFolder* parent, const QString& name)
{
    const int row = parent->ChildCount();
    beginInsertRows(IndexOf(parent), row, row);
    TSiteFolder* folder = parent->AddChild(std::make_unique<TSiteFolder>(name));
    endInsertRows();
    return folder;
}

void TSiteFolderModel::RemoveFolder(TSiteFolder* folder)
{
    TSiteFolder* parent = folder->Parent();
    const int row = folder->Row();
    beginRemoveRows(IndexOf(parent), row, row);
    parent->TakeChild(row);
    endRemoveRows();
}

void TSiteFolderModel::MoveFolder(TSiteFolder* folder, TSiteFolder* parent)
{
    TSiteFolder* oldParent = folder->Parent();
    const int row = folder->Row();
    const int destination = parent->ChildCount();
    if (!beginMoveRows(IndexOf(oldParent), row, row, IndexOf(parent), destination)) return;
    parent->AddChild(oldParent->TakeChild(row));
    endMoveRows();
}

void TSiteFolderModel::SortChildren(TSiteFolder* parent)
{
    QList<TSiteFolder*> order;
    for (int row = 0; row < parent->ChildCount(); ++row)
        order.append(parent->Child(row));
    QCollator collator;
    std::stable_sort(order.begin(), order.end(), [&collator](const TSiteFolder* a, const TSiteFolder* b) {
        return collator.compare(a->Name, b->Name) < 0;
    });
    QList<QPersistentModelIndex> parents{IndexOf(parent)};
    emit layoutAboutToBeChanged(parents, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::unique_ptr<TSiteFolder>> children;
    while (parent->ChildCount() > 0)
        children.push_back(parent->TakeChild(0));
    for (TSiteFolder* folder : order)
        for (auto& child : children)
            if (child.get() == folder) parent->AddChild(std::move(child));
    for (const QModelIndex& index : before)
        changePersistentIndex(index, IndexOf(Folder(index)));
    emit layoutChanged(parents, QAbstractItemModel::VerticalSortHint);
}

void TSiteFolderModel::FolderChanged(TSiteFolder* folder)
{
    const QModelIndex index = IndexOf(folder);
    emit dataChanged(index, index);
}

void TSiteFolderModel::SetIcons(const QIcon& folder, const QIcon& folderOpen, const QIcon& root,
                                const QIcon& rootOpen)
{
    FolderIcon = WithSelectedImage(folder, folderOpen);
    RootIcon = WithSelectedImage(root, rootOpen);
}

QModelIndex TSiteFolderModel::index(int row, int column, const QModelIndex& parent) const
{
    const TSiteFolder* folder = parent.isValid() ? Folder(parent) : FTop.get();
    if (column != 0 || row < 0 || row >= folder->ChildCount()) return {};
    return createIndex(row, 0, folder->Child(row));
}

QModelIndex TSiteFolderModel::parent(const QModelIndex& child) const
{
    const TSiteFolder* folder = Folder(child);
    return folder ? IndexOf(folder->Parent()) : QModelIndex();
}

int TSiteFolderModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0) return 0;
    return parent.isValid() ? Folder(parent)->ChildCount() : FTop->ChildCount();
}

int TSiteFolderModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant TSiteFolderModel::data(const QModelIndex& index, int role) const
{
    const TSiteFolder* folder = Folder(index);
    if (!folder) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return folder->Name;
    case Qt::DecorationRole: {
        const QIcon& icon = folder->IsRoot ? RootIcon : FolderIcon;
        // A cut folder is drawn ghosted until it is pasted.
        return folder->Cut ? QIcon(icon.pixmap(16, 16, QIcon::Disabled)) : icon;
    }
    case Qt::ForegroundRole:
        if (folder->Cut) return QPalette().brush(QPalette::Disabled, QPalette::Text);
        return {};
    default: return {};
    }
}

bool TSiteFolderModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    TSiteFolder* folder = Folder(index);
    if (!folder || role != Qt::EditRole || !OnRename) return false;
    return OnRename(folder, value.toString());
}

Qt::ItemFlags TSiteFolderModel::flags(const QModelIndex& index) const
{
    const TSiteFolder* folder = Folder(index);
    if (!folder) return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
    if (!folder->IsRoot) flags |= Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
    return flags;
}

QStringList TSiteFolderModel::mimeTypes() const
{
    return {QLatin1String(SiteListDragType)};
}

QMimeData* TSiteFolderModel::mimeData(const QModelIndexList&) const
{
    auto* data = new QMimeData;
    data->setData(QLatin1String(SiteListDragType), "folder");
    return data;
}

Qt::DropActions TSiteFolderModel::supportedDropActions() const
{
    return Qt::MoveAction | Qt::CopyAction;
}
