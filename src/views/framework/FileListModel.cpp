#include "views/framework/FileListModel.h"

#include "views/framework/FileListSource.h"
#include "views/framework/ListRules.h"

#include <QMimeData>

const QString TFileListModel::ItemsMimeType = QStringLiteral("application/x-quilloftp-list-items");

namespace {

// A dimmed copy of an icon at the sizes a list draws.
QIcon Ghost(const QIcon& icon)
{
    QIcon ghost;
    for (int side : {16, 24, 32})
        ghost.addPixmap(icon.pixmap(QSize(side, side), QIcon::Disabled));
    return ghost;
}

}  // namespace

TFileListModel::TFileListModel(QObject* parent) : QAbstractTableModel(parent) {}

void TFileListModel::SetSource(TFileListSource* source)
{
    beginResetModel();
    FSource = source;
    endResetModel();
}

void TFileListModel::SetColumns(const QList<TListColumn>& columns)
{
    beginResetModel();
    FColumns = columns;
    endResetModel();
}

void TFileListModel::AddColumn(const TListColumn& column)
{
    beginInsertColumns({}, int(FColumns.size()), int(FColumns.size()));
    FColumns.append(column);
    endInsertColumns();
}

void TFileListModel::SetItemCount(int count)
{
    beginResetModel();
    FCount = qMax(count, 0);
    endResetModel();
}

void TFileListModel::AppendItems(int count)
{
    if (count <= 0) return;
    beginInsertRows({}, FCount, FCount + count - 1);
    FCount += count;
    endInsertRows();
}

void TFileListModel::RemoveItem(int index, const std::function<void()>& drop)
{
    if (index < 0 || index >= FCount) {
        drop();
        return;
    }
    beginRemoveRows({}, index, index);
    drop();
    --FCount;
    endRemoveRows();
}

void TFileListModel::MoveItems(const std::function<std::vector<int>()>& reorder)
{
    emit layoutAboutToBeChanged({}, VerticalSortHint);
    const std::vector<int> newRow = reorder();
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    for (const QModelIndex& index : from) {
        const int row = index.row() < int(newRow.size()) ? newRow[size_t(index.row())] : index.row();
        to << (row < FCount ? this->index(row, index.column()) : QModelIndex());
    }
    changePersistentIndexList(from, to);
    emit layoutChanged({}, VerticalSortHint);
}

void TFileListModel::RedrawItem(int index)
{
    if (index >= 0 && index < FCount && !FColumns.isEmpty())
        emit dataChanged(this->index(index, 0), this->index(index, int(FColumns.size()) - 1));
}

int TFileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FCount;
}

int TFileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(FColumns.size());
}

bool TFileListModel::HasRecord(const QModelIndex& index) const
{
    // The count may run ahead of the records for a moment (a view fills its
    // list before it shows it); such rows stay empty instead of reading past
    // the records.
    return FSource && checkIndex(index, CheckIndexOption::IndexIsValid) &&
           index.row() < FSource->RowsAvailable();
}

QVariant TFileListModel::data(const QModelIndex& index, int role) const
{
    if (!HasRecord(index)) return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(FColumns[index.column()].Alignment | Qt::AlignVCenter);
    return CellData(index, role);
}

QVariant TFileListModel::CellData(const QModelIndex& index, int role) const
{
    const bool caption = index.column() == 0;
    const bool size = index.column() == SizeColumn;
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != GhostedRole &&
        !(caption && role == Qt::DecorationRole) &&
        !(size && (role == Qt::ToolTipRole || role == ByteCountRole)))
        return {};
    TListItem item;
    FSource->FillRow(index.row(), item);
    switch (role) {
    case GhostedRole: return item.Ghosted;
    case Qt::DecorationRole:
        if (item.Icon.isNull()) return {};
        return item.Ghosted ? Ghost(item.Icon) : item.Icon;
    case Qt::ToolTipRole:
        return item.ByteCount ? QVariant(TListRules::ByteCountText(*item.ByteCount)) : QVariant();
    case ByteCountRole: return item.ByteCount ? QVariant(qulonglong(*item.ByteCount)) : QVariant();
    default:
        if (caption) return item.Caption;
        return index.column() <= item.SubItems.size() ? item.SubItems[index.column() - 1] : QString();
    }
}

QVariant TFileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= FColumns.size()) return {};
    if (role == Qt::DisplayRole) return FColumns[section].Caption;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(FColumns[section].Alignment | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags TFileListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags =
        Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren | Qt::ItemIsDragEnabled;
    if (index.column() == 0) flags |= Qt::ItemIsEditable;
    return flags;
}

bool TFileListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || index.column() != 0 || !HasRecord(index)) return false;
    QString newName = value.toString();
    const int row = index.row();
    const bool renamed = FSource->RenameRow(row, newName);
    // The rename may have run the event loop and changed the rows meanwhile.
    RedrawItem(row);
    return renamed;
}

QStringList TFileListModel::mimeTypes() const
{
    return {ItemsMimeType};
}

QMimeData* TFileListModel::mimeData(const QModelIndexList& indexes) const
{
    if (indexes.isEmpty()) return nullptr;
    // The drop target asks the source view for its selection; the format
    // only marks the drag as one of ours.
    auto* data = new QMimeData;
    data->setData(ItemsMimeType, {});
    return data;
}

Qt::DropActions TFileListModel::supportedDragActions() const
{
    return Qt::CopyAction;
}
