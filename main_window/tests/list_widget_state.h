#pragma once

// What a list view shows, read through its model and selection the way a
// user, or a screen reader, sees it.

#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QListView>
#include <QStringList>

namespace lexorra::testing {

/// The number of entries of @p list.
inline int rowCount(const QListView *list)
{
    return list->model()->rowCount();
}

/// The entries of @p list, top to bottom, as displayed.
inline QStringList texts(const QListView *list)
{
    QStringList result;
    const QAbstractItemModel *model = list->model();
    for (int i = 0; i < model->rowCount(); ++i)
        result.append(model->index(i, 0).data(Qt::DisplayRole).toString());
    return result;
}

/// The row of the one selected entry, or -1 when there is none (or more).
inline int selectedRow(const QListView *list)
{
    const QModelIndexList selected = list->selectionModel()->selectedIndexes();
    return selected.size() == 1 ? selected.first().row() : -1;
}

/// The row of the current entry, or -1 when there is none.
inline int currentRow(const QListView *list)
{
    return list->currentIndex().row();
}

/// The centre of the entry at @p row, in the coordinates of the list's viewport.
inline QPoint itemCentre(const QListView *list, int row)
{
    return list->visualRect(list->model()->index(row, 0)).center();
}

} // namespace lexorra::testing
