#include "list_box.h"

#include <QItemSelectionModel>
#include <QSignalBlocker>

namespace lexorra {

ListBox::ListBox(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    // Every entry is one line of the same font, so the view need not measure
    // each of them: tens of thousands of entries list in milliseconds.
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
}

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex &index, const QEvent *event) const
{
    // A click beside the entries, or a Ctrl+click or Ctrl+Space on the selected
    // entry, would leave the list without a selection; a list box keeps its
    // selected entry instead.
    if (!index.isValid())
        return QItemSelectionModel::NoUpdate;
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    if (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return command;
}

ListBoxEntries::ListBoxEntries(QListWidget &list) : m_list(list)
{}

void ListBoxEntries::flush()
{
    if (m_pending.isEmpty())
        return;
    m_list.addItems(m_pending);
    m_pending.clear();
}

void ListBoxEntries::clear()
{
    m_pending.clear();
    // Emptying the list is no choice of an entry: it is not reported as a
    // selection change, and the list is left with no selection.
    const QSignalBlocker blocker(m_list);
    m_list.clear();
}

void ListBoxEntries::append(const QString &text)
{
    m_pending.append(text);
}

qint16 ListBoxEntries::count() const
{
    return static_cast<qint16>(qMin(m_list.count() + m_pending.size(), qsizetype(kMaxEntries)));
}

QString ListBoxEntries::text(qint16 index) const
{
    if (index < 0)
        return QString();
    if (index < m_list.count())
        return m_list.item(index)->text();
    return m_pending.value(index - m_list.count());
}

qint16 ListBoxEntries::selectedIndex() const
{
    // The selection, not the current row: a list that gets the focus before
    // anything was selected has a current row and still no selection. The
    // selected entry is the current one whenever there is one, which spares a
    // search of the selection on every call.
    const QItemSelectionModel *selection = m_list.selectionModel();
    const int current = m_list.currentRow();
    if (current >= 0 && selection->isRowSelected(current))
        return static_cast<qint16>(current);
    const QModelIndexList selected = selection->selectedIndexes();
    return selected.isEmpty() ? qint16(-1) : static_cast<qint16>(selected.first().row());
}

void ListBoxEntries::select(qint16 index)
{
    flush();
    if (index < 0) {
        m_list.setCurrentRow(-1, QItemSelectionModel::Clear);
        return;
    }
    if (index >= m_list.count())
        return;
    m_list.setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

} // namespace lexorra
