#pragma once
#include <QStyledItemDelegate>

// Draws a file list's cells; a size too wide for its column is written in a
// short unit ("4.7 GB") instead of being cut, and the whole figure stays in
// the tool tip.
class TFileListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The text the cell of index shows when it is drawn in rect.
    QString ShownText(const QModelIndex& index, const QRect& rect) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
