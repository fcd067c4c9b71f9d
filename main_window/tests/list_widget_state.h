#pragma once

// What a list widget shows, read the way a user sees it.

#include <QListWidget>
#include <QStringList>

namespace lexorra::testing {

/// The entries of @p list, top to bottom.
inline QStringList texts(const QListWidget *list)
{
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result.append(list->item(i)->text());
    return result;
}

/// The row of the one selected entry, or -1 when there is none (or more).
inline int selectedRow(const QListWidget *list)
{
    const QList<QListWidgetItem *> selected = list->selectedItems();
    return selected.size() == 1 ? list->row(selected.first()) : -1;
}

} // namespace lexorra::testing
