// Texts kept end to end: what goes in comes out, whatever mix of appends,
// copies and clears, and a copy never sees the changes of another.
#include "entry_texts.h"

#include <QRandomGenerator>
#include <QStringList>
#include <QTest>

using namespace lexorra::dictionary;
using namespace Qt::StringLiterals;

class TestEntryTexts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void randomOperationsMatchAStringList();
    void handingOverSharesAndClearingReleases();
};

namespace {

QStringList texts(const EntryTexts &entries)
{
    QStringList out;
    for (qsizetype i = 0; i < entries.size(); ++i)
        out.append(entries.at(i).toString());
    return out;
}

} // namespace

void TestEntryTexts::randomOperationsMatchAStringList()
{
    // Two sequences and their expected texts, changed at random; empty texts
    // and texts handed from one to the other included.
    QRandomGenerator random(20261207);
    EntryTexts entries[2];
    QStringList expected[2];
    for (int step = 0; step < 4000; ++step) {
        const int which = static_cast<int>(random.bounded(2));
        EntryTexts &target = entries[which];
        QStringList &want = expected[which];
        switch (random.bounded(10)) {
        case 0:
            target.clear();
            want.clear();
            break;
        case 1:
            target.append(entries[1 - which]);
            want.append(expected[1 - which]);
            break;
        case 2:
            target = entries[1 - which];
            want = expected[1 - which];
            break;
        default: {
            QString text(static_cast<qsizetype>(random.bounded(6)), QChar(u'a' + random.bounded(26)));
            target.append(text);
            want.append(text);
            break;
        }
        }
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(entries[i].size(), expected[i].size());
            QCOMPARE(entries[i].textSize(), expected[i].join(QString()).size());
        }
        if (step % 50 == 0) {
            QCOMPARE(texts(entries[0]), expected[0]);
            QCOMPARE(texts(entries[1]), expected[1]);
        }
    }
}

void TestEntryTexts::handingOverSharesAndClearingReleases()
{
    // A listing handed to an empty list is shared, not copied; the giver
    // clearing it then leaves the list's texts whole.
    EntryTexts kept;
    kept.append(u"apple");
    kept.append(u"");
    kept.append(u"apricot");
    EntryTexts list;
    list.append(kept);
    QVERIFY(list.isSharedWith(kept));
    kept.clear();
    QVERIFY(kept.isEmpty());
    QCOMPARE(texts(list), (QStringList{u"apple"_s, QString(), u"apricot"_s}));

    // Appended to a list that has entries, the texts follow its own.
    kept.append(u"avocado");
    list.append(kept);
    QVERIFY(!list.isSharedWith(kept));
    QCOMPARE(texts(list), (QStringList{u"apple"_s, QString(), u"apricot"_s, u"avocado"_s}));
}

QTEST_GUILESS_MAIN(TestEntryTexts)
#include "tst_entry_texts.moc"
