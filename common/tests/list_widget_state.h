#pragma once

// What a list view shows, read through its model and selection the way a
// user, or a screen reader, sees it.

#include <QAbstractItemModel>
#include <QAccessible>
#include <QByteArray>
#include <QItemSelectionModel>
#include <QList>
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

/// What a screen reader reads of a list: its entries, the rows it reads as
/// selected, and the number of selected cells the list reports.
struct ReaderView
{
    QStringList entries;
    QList<int> selected;
    int selectedCells = -1;

    friend bool operator==(const ReaderView &, const ReaderView &) = default;
};

/// Reads @p widget the way a screen reader does; empty when it is no list.
///
/// The offscreen platform has no screen reader attached, so a view sends no
/// change events to its accessible interface; each reading starts from a
/// fresh interface, as a reader that has just reached the window does.
inline ReaderView readAloud(QWidget *widget)
{
    if (QAccessibleInterface *cached = QAccessible::queryAccessibleInterface(widget))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(cached));
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(widget);
    ReaderView seen;
    if (!list || list->role() != QAccessible::List)
        return seen;
    for (int i = 0; i < list->childCount(); ++i) {
        QAccessibleInterface *entry = list->child(i);
        if (!entry)
            return ReaderView{};
        seen.entries.append(entry->text(QAccessible::Name));
        if (entry->state().selected)
            seen.selected.append(i);
    }
    if (QAccessibleTableInterface *table = list->tableInterface())
        seen.selectedCells = table->selectedCellCount();
    return seen;
}

/// How QtTest prints a ReaderView when a comparison fails.
inline char *toString(const ReaderView &view)
{
    QStringList selected;
    for (int row : view.selected)
        selected.append(QString::number(row));
    const QString text = QStringLiteral("entries [%1], selected [%2], selected cells %3")
                             .arg(view.entries.join(QStringLiteral(", ")), selected.join(QStringLiteral(", ")))
                             .arg(view.selectedCells);
    return qstrdup(text.toUtf8().constData());
}

} // namespace lexorra::testing
