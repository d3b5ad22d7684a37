#pragma once
#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QList>

// Selects exactly these rows, as the user's clicks would, and makes the first
// the focused one.
inline void SelectRows(QAbstractItemView& view, const QList<int>& rows)
{
    view.selectionModel()->clear();
    for (int row : rows)
        view.selectionModel()->select(view.model()->index(row, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (!rows.isEmpty())
        view.selectionModel()->setCurrentIndex(view.model()->index(rows.first(), 0),
                                               QItemSelectionModel::NoUpdate);
}
