// The list box and its entry-list adapter: order, counts, texts, a selection
// that changes exactly as a click changes it, a listing handed to the view in
// one step, and the entries as a screen reader reads them.

#include "list_box.h"
#include "list_widget_state.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using lexorra::ListBox;
using lexorra::ListBoxEntries;
using namespace lexorra::testing;

class TestListBox final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void appendsInOrder();
    void selectHandsCollectedEntriesToTheWidget();
    void textOutsideTheListIsEmpty_data();
    void textOutsideTheListIsEmpty();
    void selectChangesSelectionOncePerChange_data();
    void selectChangesSelectionOncePerChange();
    void selectByProgramEqualsClick();
    void clearEmptiesWithoutSelection();
    void focusAloneSelectsNothing();
    void holdsTheMostEntries();
    void listingReachesTheViewInOneStep();
    void randomEditsMatchAPlainList();
    void screenReaderReadsEntriesAndSelection();
};

void TestListBox::appendsInOrder()
{
    ListBox widget(nullptr);
    ListBoxEntries list(widget);
    for (const QString &word : {u"zebra"_s, u"apple"_s, u"mango"_s, u"apple"_s})
        list.append(word);
    // Collected entries count and read as entries before the widget has them.
    QCOMPARE(list.count(), qint16(4));
    QCOMPARE(list.text(0), u"zebra"_s);
    QCOMPARE(list.text(3), u"apple"_s);
    list.flush();
    QCOMPARE(widget.count(), 4);
    QCOMPARE(rowCount(&widget), 4);
    list.append(u"kiwi"_s);
    QCOMPARE(list.count(), qint16(5));
    QCOMPARE(list.text(4), u"kiwi"_s);
    list.flush();
    const QStringList expected = {u"zebra"_s, u"apple"_s, u"mango"_s, u"apple"_s, u"kiwi"_s};
    QCOMPARE(texts(&widget), expected);
    for (qint16 i = 0; i < 5; ++i)
        QCOMPARE(list.text(i), expected.at(i));
    QCOMPARE(list.selectedIndex(), qint16(-1));
}

void TestListBox::selectHandsCollectedEntriesToTheWidget()
{
    ListBox widget(nullptr);
    ListBoxEntries list(widget);
    list.append(u"a"_s);
    list.append(u"b"_s);
    list.append(u"c"_s);
    list.select(2);
    QCOMPARE(widget.count(), 3);
    QCOMPARE(currentRow(&widget), 2);
    QVERIFY(widget.selectionModel()->isRowSelected(2));
    QCOMPARE(list.selectedIndex(), qint16(2));
    // Emptying drops what was collected too.
    list.append(u"d"_s);
    list.clear();
    list.flush();
    QCOMPARE(widget.count(), 0);
    QCOMPARE(rowCount(&widget), 0);
    QCOMPARE(list.count(), qint16(0));
}

void TestListBox::textOutsideTheListIsEmpty_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("-1") << -1;
    QTest::newRow("count") << 2;
    QTest::newRow("far") << 32767;
}

void TestListBox::textOutsideTheListIsEmpty()
{
    QFETCH(int, index);
    ListBox widget(nullptr);
    ListBoxEntries list(widget);
    list.append(u"one"_s);
    list.append(u"two"_s);
    QCOMPARE(list.text(qint16(index)), QString());
}

void TestListBox::selectChangesSelectionOncePerChange_data()
{
    QTest::addColumn<QList<int>>("selects");
    QTest::addColumn<QList<int>>("selectedAfterEach");
    QTest::addColumn<int>("changes");
    QTest::newRow("one") << QList<int>{2} << QList<int>{2} << 1;
    QTest::newRow("same twice") << QList<int>{1, 1} << QList<int>{1, 1} << 1;
    QTest::newRow("moving") << QList<int>{0, 3, 1} << QList<int>{0, 3, 1} << 3;
    QTest::newRow("none, then none") << QList<int>{-1} << QList<int>{-1} << 0;
    QTest::newRow("select, then none") << QList<int>{2, -1} << QList<int>{2, -1} << 2;
    QTest::newRow("past the end changes nothing") << QList<int>{1, 4} << QList<int>{1, 1} << 1;
}

void TestListBox::selectChangesSelectionOncePerChange()
{
    QFETCH(QList<int>, selects);
    QFETCH(QList<int>, selectedAfterEach);
    QFETCH(int, changes);
    ListBox widget(nullptr);
    ListBoxEntries list(widget);
    for (const QString &word : {u"a"_s, u"b"_s, u"c"_s, u"d"_s})
        list.append(word);
    QSignalSpy spy(&widget, &ListBox::selectedEntryChanged);
    QList<int> seen;
    for (int index : selects) {
        list.select(qint16(index));
        seen.append(list.selectedIndex());
    }
    QCOMPARE(seen, selectedAfterEach);
    QCOMPARE(spy.size(), changes);
    QVERIFY(widget.selectionModel()->selectedIndexes().size() <= 1);
    QCOMPARE(selectedRow(&widget), selectedAfterEach.last());
}

void TestListBox::selectByProgramEqualsClick()
{
    // The user's click and the program's select leave the same state behind.
    ListBox clicked(nullptr);
    ListBox selected(nullptr);
    ListBoxEntries clickedList(clicked);
    ListBoxEntries selectedList(selected);
    for (const QString &word : {u"a"_s, u"b"_s, u"c"_s}) {
        clickedList.append(word);
        selectedList.append(word);
    }
    clickedList.flush();
    selectedList.flush();
    clicked.resize(100, 200);
    clicked.show();
    QVERIFY(QTest::qWaitForWindowExposed(&clicked));
    QSignalSpy spy(&clicked, &ListBox::selectedEntryChanged);
    QTest::mouseClick(clicked.viewport(), Qt::LeftButton, {}, itemCentre(&clicked, 1));
    QCOMPARE(spy.size(), 1);
    selectedList.select(1);
    QCOMPARE(clickedList.selectedIndex(), qint16(1));
    QCOMPARE(selectedList.selectedIndex(), qint16(1));
    QCOMPARE(currentRow(&clicked), currentRow(&selected));
}

void TestListBox::clearEmptiesWithoutSelection()
{
    ListBox widget(nullptr);
    ListBoxEntries list(widget);
    list.append(u"a"_s);
    list.append(u"b"_s);
    list.select(1);
    QSignalSpy spy(&widget, &ListBox::selectedEntryChanged);
    list.clear();
    // Emptying the list is not reported as a choice of entry.
    QCOMPARE(spy.size(), 0);
    QCOMPARE(list.count(), qint16(0));
    QCOMPARE(list.selectedIndex(), qint16(-1));
    list.append(u"c"_s);
    QCOMPARE(list.selectedIndex(), qint16(-1));
    QCOMPARE(list.text(0), u"c"_s);
}

void TestListBox::focusAloneSelectsNothing()
{
    // A list that takes the focus gets a current row, not a selection.
    ListBox widget(nullptr);
    ListBoxEntries list(widget);
    list.append(u"a"_s);
    list.append(u"b"_s);
    list.flush();
    widget.show();
    QVERIFY(QTest::qWaitForWindowActive(&widget));
    widget.setFocus();
    QCoreApplication::processEvents();
    QCOMPARE(currentRow(&widget), 0);
    QCOMPARE(list.selectedIndex(), qint16(-1));
}

void TestListBox::holdsTheMostEntries()
{
    ListBox widget(nullptr);
    ListBoxEntries list(widget);
    for (int i = 0; i < lexorra::dictionary::kMaxEntries; ++i)
        list.append(QString::number(i));
    QCOMPARE(list.count(), lexorra::dictionary::kMaxEntries);
    list.select(lexorra::dictionary::kMaxEntries - 1);
    QCOMPARE(list.selectedIndex(), qint16(lexorra::dictionary::kMaxEntries - 1));
    QCOMPARE(list.text(lexorra::dictionary::kMaxEntries - 1), u"32766"_s);
}

void TestListBox::listingReachesTheViewInOneStep()
{
    // However many entries a listing has, the view hears of one insertion per
    // batch and of one reset when the list is emptied, never of single rows.
    ListBox widget(nullptr);
    ListBoxEntries list(widget);
    QAbstractItemModel *model = widget.model();
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(model, &QAbstractItemModel::modelReset);
    QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    for (int i = 0; i < 1000; ++i)
        list.append(QString::number(i));
    QCOMPARE(inserted.size(), 0);
    list.flush();
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 0);
    QCOMPARE(inserted.at(0).at(2).toInt(), 999);
    for (int i = 1000; i < 1500; ++i)
        list.append(QString::number(i));
    list.select(1200);
    QCOMPARE(inserted.size(), 2);
    QCOMPARE(inserted.at(1).at(1).toInt(), 1000);
    QCOMPARE(inserted.at(1).at(2).toInt(), 1499);
    QCOMPARE(rowCount(&widget), 1500);
    QCOMPARE(model->index(1200, 0).data().toString(), u"1200"_s);
    QCOMPARE(model->index(1499, 0).data(Qt::AccessibleTextRole).toString(), u"1499"_s);
    list.flush(); // nothing new: no insertion
    QCOMPARE(inserted.size(), 2);

    list.clear();
    QCOMPARE(reset.size(), 1);
    QCOMPARE(removed.size(), 0);
    QCOMPARE(rowCount(&widget), 0);
    QCOMPARE(changed.size(), 0);
    // The next listing after an emptied list starts at the top again.
    list.append(u"again"_s);
    list.flush();
    QCOMPARE(inserted.size(), 3);
    QCOMPARE(inserted.at(2).at(1).toInt(), 0);
    QCOMPARE(texts(&widget), QStringList{u"again"_s});
}

void TestListBox::randomEditsMatchAPlainList()
{
    // Random appends, flushes, program selections, clicks and clears leave the
    // box as they leave a plain list with a selected index; every real change
    // of the selection is reported once, and nothing else is.
    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("seed %u", seed);
    QRandomGenerator random(seed);

    ListBox widget(nullptr);
    ListBoxEntries list(widget);
    widget.resize(120, 160);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QSignalSpy reported(&widget, &ListBox::selectedEntryChanged);

    QStringList plain;
    qsizetype shown = 0; // entries handed to the view so far
    int selected = -1;
    int changes = 0;
    const auto choose = [&](int row) {
        if (row != selected)
            ++changes;
        selected = row;
    };
    for (int step = 0; step < 400; ++step) {
        const quint32 action = random.bounded(100);
        QString done;
        if (action < 50) {
            QString word;
            for (quint32 i = 0, n = random.bounded(6); i < n; ++i)
                word.append(QChar(u'a' + static_cast<char16_t>(random.bounded(26))));
            list.append(word);
            plain.append(word);
            done = u"append '%1'"_s.arg(word);
        } else if (action < 60) {
            list.flush();
            shown = plain.size();
            done = u"flush"_s;
        } else if (action < 80) {
            const int row = static_cast<int>(random.bounded(-1, static_cast<int>(plain.size()) + 2));
            list.select(qint16(row));
            shown = plain.size();
            if (row < plain.size())
                choose(row);
            done = u"select %1"_s.arg(row);
        } else if (action < 95) {
            if (shown == 0)
                continue;
            const int row = static_cast<int>(random.bounded(static_cast<int>(shown)));
            const QModelIndex index = widget.model()->index(row, 0);
            widget.scrollTo(index);
            QTest::mouseClick(widget.viewport(), Qt::LeftButton, {}, itemCentre(&widget, row));
            choose(row);
            done = u"click %1"_s.arg(row);
        } else {
            list.clear();
            plain.clear();
            shown = 0;
            selected = -1;
            done = u"clear"_s;
        }
        const QByteArray context = u"step %1: %2"_s.arg(step).arg(done).toUtf8();
        const char *where = context.constData();
        QVERIFY2(list.count() == plain.size(), where);
        QVERIFY2(list.text(qint16(plain.size())).isEmpty(), where);
        if (!plain.isEmpty()) {
            const int probe = static_cast<int>(random.bounded(static_cast<int>(plain.size())));
            QVERIFY2(list.text(qint16(probe)) == plain.at(probe), where);
        }
        QVERIFY2(texts(&widget) == plain.mid(0, shown), where);
        QVERIFY2(list.selectedIndex() == selected, where);
        QVERIFY2(selectedRow(&widget) == selected, where);
        QVERIFY2(reported.size() == changes, where);
    }
}

void TestListBox::screenReaderReadsEntriesAndSelection()
{
    // A screen reader sees a named list of the entries with the selected one
    // marked, after every new listing and every selection.
    ListBox widget(nullptr);
    widget.setAccessibleName(u"Headwords"_s);
    ListBoxEntries list(widget);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(&widget);
    QVERIFY(reader);
    QCOMPARE(reader->role(), QAccessible::List);
    QCOMPARE(reader->text(QAccessible::Name), u"Headwords"_s);
    QCOMPARE(readAloud(&widget), (ReaderView{{}, {}, 0}));

    for (const QString &word : {u"apple"_s, QString(), u"pear"_s})
        list.append(word);
    list.select(2);
    QCOMPARE(readAloud(&widget), (ReaderView{{u"apple"_s, QString(), u"pear"_s}, {2}, 1}));
    reader = QAccessible::queryAccessibleInterface(&widget);
    QCOMPARE(reader->child(2)->role(), QAccessible::ListItem);
    QVERIFY(reader->child(2)->state().selectable);

    // A new listing replaces the entries a reader sees, and leaves none selected.
    list.clear();
    list.append(u"fig"_s);
    list.append(u"kiwi"_s);
    list.flush();
    QCOMPARE(readAloud(&widget), (ReaderView{{u"fig"_s, u"kiwi"_s}, {}, 0}));
    list.select(0);
    QCOMPARE(readAloud(&widget), (ReaderView{{u"fig"_s, u"kiwi"_s}, {0}, 1}));
    QTest::keyClick(&widget, Qt::Key_Down);
    QCOMPARE(readAloud(&widget), (ReaderView{{u"fig"_s, u"kiwi"_s}, {1}, 1}));
    QCOMPARE(list.selectedIndex(), qint16(1));
}

QTEST_MAIN(TestListBox)
#include "tst_list_box.moc"
