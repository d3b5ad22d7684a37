#include "sites/SitesModel.h"

#include "sites/SiteFolderModel.h"

#include <QMimeData>

TSitesModel::TSitesModel(QObject* parent) : QAbstractListModel(parent) {}

void TSitesModel::SetFolder(TFolderSettings* folder)
{
    beginResetModel();
    FFolder = folder;
    endResetModel();
}

void TSitesModel::Refresh()
{
    beginResetModel();
    endResetModel();
}

void TSitesModel::SiteChanged(int row)
{
    emit dataChanged(index(row), index(row));
}

void TSitesModel::Sort()
{
    if (!FFolder) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QList<int> order = FFolder->Sort();
    QList<int> newRow(order.size());
    for (int row = 0; row < order.size(); ++row)
        newRow[order.at(row)] = row;
    for (const QModelIndex& old : persistentIndexList())
        changePersistentIndex(old, index(newRow.value(old.row(), old.row())));
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int TSitesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !FFolder ? 0 : FFolder->Count();
}

QVariant TSitesModel::data(const QModelIndex& index, int role) const
{
    if (!FFolder || !index.isValid() || index.row() >= FFolder->Count()) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return FFolder->Sites.at(index.row()).Name();
    case Qt::DecorationRole: return SiteIcon;
    default: return {};
    }
}

bool TSitesModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!FFolder || role != Qt::EditRole || !OnRename || index.row() >= FFolder->Count()) return false;
    return OnRename(index.row(), value.toString());
}

Qt::ItemFlags TSitesModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
}

QStringList TSitesModel::mimeTypes() const
{
    return {QLatin1String(SiteListDragType)};
}

QMimeData* TSitesModel::mimeData(const QModelIndexList&) const
{
    auto* data = new QMimeData;
    data->setData(QLatin1String(SiteListDragType), "sites");
    return data;
}

Qt::DropActions TSitesModel::supportedDragActions() const
{
    return Qt::MoveAction | Qt::CopyAction;
}
