// The list box and its entry-list adapter: order, counts, texts, a selection
// that changes exactly as a click changes it, a listing handed to the view in
// one step, and the entries as a screen reader reads them.

#include "list_box.h"
#include "list_widget_state.h"

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
    for (int i = 0; i < lexorra::dictionary::EntryList::kMaxEntries; ++i)
        list.append(QString::number(i));
    QCOMPARE(list.count(), lexorra::dictionary::EntryList::kMaxEntries);
    list.select(lexorra::dictionary::EntryList::kMaxEntries - 1);
    QCOMPARE(list.selectedIndex(), qint16(lexorra::dictionary::EntryList::kMaxEntries - 1));
    QCOMPARE(list.text(lexorra::dictionary::EntryList::kMaxEntries - 1), u"32766"_s);
}

QTEST_MAIN(TestListBox)
#include "tst_list_box.moc"
