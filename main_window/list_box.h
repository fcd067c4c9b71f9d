#pragma once

#include "lookup_interfaces.h"

#include "entry_texts.h"

#include <QAbstractListModel>
#include <QListView>

namespace lexorra {

/// The entries of a list box: plain text lines in the order they were added.
/// They are read-only; only a whole batch is added or everything removed, so
/// a view hears of a listing as one change, not one per entry.
class ListBoxModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit ListBoxModel(QObject *parent);
    Q_DISABLE_COPY_MOVE(ListBoxModel)

    [[nodiscard]] int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex &index) const override;

    /// The entries, top to bottom.
    [[nodiscard]] const dictionary::EntryTexts &entries() const { return m_entries; }

    /// Takes the texts of @p batch to the end, as one insertion, and leaves
    /// @p batch empty. Into an empty model the texts are shared, not copied.
    void appendFrom(dictionary::EntryTexts &batch);
    /// Removes every entry, as one reset.
    void clear();

private:
    dictionary::EntryTexts m_entries;
};

/// A list box: one column of text entries, kept in the order they were added,
/// with at most one of them selected. Once an entry is selected, the user can
/// move the selection but not take it away.
///
/// The entries live in a ListBoxModel of the box's own; the view draws only
/// the rows on screen, so a listing of any length costs no object per entry.
class ListBox final : public QListView
{
    Q_OBJECT

public:
    explicit ListBox(QWidget *parent);
    Q_DISABLE_COPY_MOVE(ListBox)

    [[nodiscard]] int count() const { return static_cast<int>(m_entries->entries().size()); }
    /// The entry at @p row, or empty text outside the list.
    [[nodiscard]] QString text(int row) const;
    /// Takes the texts of @p batch to the end in one step; @p batch is left
    /// empty.
    void appendFrom(dictionary::EntryTexts &batch);
    /// Removes every entry. Emptying the list is no choice of an entry: it
    /// leaves no selection and is not reported by selectedEntryChanged().
    void clear();

    /// The row of the selected entry, or -1 when none is selected.
    [[nodiscard]] int selectedRow() const { return m_selectedRow; }
    /// Selects the entry at @p row as a click does, or takes the selection
    /// away when @p row is -1. Rows past the end change nothing.
    void selectRow(int row);

Q_SIGNALS:
    /// The selected entry changed, by a click, a key or the program: once per
    /// change.
    void selectedEntryChanged();

protected:
    [[nodiscard]] QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                                       const QEvent *event) const override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

private:
    ListBoxModel *m_entries;
    // The selected row, kept up to date on every change of the selection: a
    // listing asks for it after each record it appends.
    int m_selectedRow = -1;
};

/// The entry list of a lookup over a list box.
///
/// select() changes the box's selection exactly as a click does, so the box's
/// selectedEntryChanged() signal, once per change, is the one place where the
/// list's owner hears of any selection change, by program or by user.
///
/// Appended entries are collected and handed to the box in one insertion:
/// when an entry is selected, and when the owner calls flush() after a batch
/// of appends. count() and text() include the entries still collected.
class ListBoxEntries final : public dictionary::EntryList
{
public:
    explicit ListBoxEntries(ListBox &list);

    /// Hands the entries appended since the last flush to the box.
    void flush();

    void clear() override;
    void append(const QString &text) override;
    void appendAll(const dictionary::EntryTexts &texts) override;
    [[nodiscard]] qint16 count() const override;
    [[nodiscard]] QString text(qint16 index) const override;
    [[nodiscard]] qint16 selectedIndex() const override;
    void select(qint16 index) override;

private:
    ListBox &m_list;
    dictionary::EntryTexts m_pending;
};

} // namespace lexorra
