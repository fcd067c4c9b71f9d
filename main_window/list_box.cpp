#include "list_box.h"

#include <QItemSelectionModel>

#include <utility>

namespace lexorra {

ListBoxModel::ListBoxModel(QObject *parent) : QAbstractListModel(parent)
{}

int ListBoxModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

QVariant ListBoxModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    // A screen reader reads an entry by this role and falls back to the
    // displayed text only when it is empty; an empty entry then stays empty.
    case Qt::AccessibleTextRole:
        return m_entries.at(index.row());
    default:
        return QVariant();
    }
}

Qt::ItemFlags ListBoxModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

void ListBoxModel::appendFrom(dictionary::EntryTexts &batch)
{
    if (batch.isEmpty())
        return;
    const int first = static_cast<int>(m_entries.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(batch.size()) - 1);
    // A listing arrives in an empty list as a share of the texts the lookup
    // gathered: no copy, and no string per entry until a row is drawn.
    m_entries.append(batch);
    batch.clear();
    endInsertRows();
}

void ListBoxModel::clear()
{
    // A reset, not a removal of rows: the view and the selection drop
    // everything at once, and the selection is emptied without a report.
    beginResetModel();
    m_entries.clear();
    endResetModel();
}

ListBox::ListBox(QWidget *parent) : QListView(parent), m_entries(new ListBoxModel(this))
{
    setModel(m_entries);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Every entry is one line of the same font, so the view need not measure
    // each of them: tens of thousands of entries list in milliseconds.
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
}

QString ListBox::text(int row) const
{
    if (row < 0 || row >= count())
        return QString();
    return m_entries->entries().at(row);
}

void ListBox::appendFrom(dictionary::EntryTexts &batch)
{
    m_entries->appendFrom(batch);
}

void ListBox::clear()
{
    // The reset empties the selection without reporting it.
    m_entries->clear();
    m_selectedRow = -1;
}

void ListBox::selectRow(int row)
{
    if (row < 0) {
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
        return;
    }
    if (row >= count())
        return;
    selectionModel()->setCurrentIndex(m_entries->index(row), QItemSelectionModel::ClearAndSelect);
}

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex &index, const QEvent *event) const
{
    // A click beside the entries, or a Ctrl+click or Ctrl+Space on the selected
    // entry, would leave the list without a selection; a list box keeps its
    // selected entry instead.
    if (!index.isValid())
        return QItemSelectionModel::NoUpdate;
    const QItemSelectionModel::SelectionFlags command = QListView::selectionCommand(index, event);
    if (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return command;
}

void ListBox::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QListView::selectionChanged(selected, deselected);
    // The selection, not the current row: a list that gets the focus before
    // anything was selected has a current row and still no selection. And the
    // current row moves only after the selection has changed.
    const QModelIndexList rows = selectionModel()->selectedIndexes();
    m_selectedRow = rows.isEmpty() ? -1 : rows.first().row();
    Q_EMIT selectedEntryChanged();
}

ListBoxEntries::ListBoxEntries(ListBox &list) : m_list(list)
{}

void ListBoxEntries::flush()
{
    if (m_pending.isEmpty())
        return;
    m_list.appendFrom(m_pending);
}

void ListBoxEntries::clear()
{
    m_pending.clear();
    m_list.clear();
}

void ListBoxEntries::append(const QString &text)
{
    m_pending.append(text);
}

void ListBoxEntries::appendAll(const dictionary::EntryTexts &texts)
{
    // A whole listing usually arrives at once: sharing it costs nothing.
    m_pending.append(texts);
}

qint16 ListBoxEntries::count() const
{
    return static_cast<qint16>(qMin(m_list.count() + m_pending.size(), qsizetype(dictionary::kMaxEntries)));
}

QString ListBoxEntries::text(qint16 index) const
{
    if (index < 0)
        return QString();
    if (index < m_list.count())
        return m_list.text(index);
    const qsizetype pending = index - m_list.count();
    return pending < m_pending.size() ? m_pending.at(pending) : QString();
}

qint16 ListBoxEntries::selectedIndex() const
{
    return static_cast<qint16>(m_list.selectedRow());
}

void ListBoxEntries::select(qint16 index)
{
    flush();
    m_list.selectRow(index);
}

} // namespace lexorra
