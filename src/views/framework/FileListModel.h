#pragma once
#include <QAbstractTableModel>
#include <QList>
#include <functional>
#include <vector>

class TFileListSource;

// One report column of a file list: caption, alignment and, when the owner
// defines its own columns, the width it wants (0: not given).
struct TListColumn {
    QString Caption;
    Qt::Alignment Alignment = Qt::AlignLeft;
    int Width = 0;
};

// The owner-data table behind a file list view: it keeps the columns and the
// row count it was given, and asks its source for every text. Row count
// changes come only through SetItemCount (rows renewed: a reset, so selection
// and focus go), AppendItems (rows added at the end, the others kept) and
// RemoveItem (one row goes, the others kept).
class TFileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Data role: true for a row drawn ghosted.
    static constexpr int GhostedRole = Qt::UserRole + 1;
    // Data role of the Size column: the exact byte count (qulonglong), when
    // the row has one.
    static constexpr int ByteCountRole = Qt::UserRole + 2;
    // The column that shows sizes: the first after the caption.
    static constexpr int SizeColumn = 1;
    // The drag format of items dragged out of a file list view.
    static const QString ItemsMimeType;

    explicit TFileListModel(QObject* parent = nullptr);

    // Without a source every row is empty.
    void SetSource(TFileListSource* source);
    const QList<TListColumn>& Columns() const { return FColumns; }
    void SetColumns(const QList<TListColumn>& columns);
    void AddColumn(const TListColumn& column);

    int ItemCount() const { return FCount; }
    void SetItemCount(int count);
    void AppendItems(int count);
    // The record of a shown row goes: drop takes it out of the source while
    // the row is being removed. Beyond the rows drop alone runs.
    void RemoveItem(int index, const std::function<void()>& drop);
    // The records change places: reorder moves them and gives each old row's
    // new row. Selection, focus and open editors stay with their records.
    void MoveItems(const std::function<std::vector<int>()>& reorder);
    // The row's texts have changed.
    void RedrawItem(int index);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // An edit of the caption (column 0) ends in the source's rename; the
    // row shows the record's name afterwards, whatever the editor held.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

private:
    bool HasRecord(const QModelIndex& index) const;
    QVariant CellData(const QModelIndex& index, int role) const;

    TFileListSource* FSource = nullptr;
    QList<TListColumn> FColumns;
    int FCount = 0;
};
