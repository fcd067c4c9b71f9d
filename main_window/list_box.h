#pragma once

#include "lookup_interfaces.h"

#include <QListWidget>

namespace lexorra {

/// A list box: one column of text entries, kept in the order they were added,
/// with at most one of them selected. Once an entry is selected, the user can
/// move the selection but not take it away.
class ListBox final : public QListWidget
{
    Q_OBJECT

public:
    explicit ListBox(QWidget *parent);
    Q_DISABLE_COPY_MOVE(ListBox)

protected:
    [[nodiscard]] QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                                       const QEvent *event) const override;
};

/// The entry list of a lookup over a list widget.
///
/// select() changes the widget's selection exactly as a click does, so the
/// widget's itemSelectionChanged() signal, once per change, is the one place
/// where the list's owner hears of any selection change, by program or by user.
///
/// Appended entries are collected and handed to the widget in one insertion,
/// which is many times faster for long lists than inserting them one by one:
/// when an entry is selected, and when the owner calls flush() after a batch
/// of appends. count() and text() include the entries still collected.
class ListBoxEntries final : public dictionary::EntryList
{
public:
    explicit ListBoxEntries(QListWidget &list);

    /// Hands the entries appended since the last flush to the widget.
    void flush();

    void clear() override;
    void append(const QString &text) override;
    [[nodiscard]] qint16 count() const override;
    [[nodiscard]] QString text(qint16 index) const override;
    [[nodiscard]] qint16 selectedIndex() const override;
    void select(qint16 index) override;

private:
    QListWidget &m_list;
    QStringList m_pending;
};

} // namespace lexorra
