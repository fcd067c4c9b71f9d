// Texts kept in shared buffers: what goes in comes out, whatever mix of
// appends, copies, clears and preparation, and a listing handed out never
// sees what is gathered after it.
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
    void handedOutListingsStayAsTheyWere();
    void handingOverShares();
};

namespace {

QStringList texts(const EntryTexts &entries)
{
    QStringList out;
    for (qsizetype i = 0; i < entries.size(); ++i)
        out.append(entries.at(i));
    return out;
}

// A text of up to @p longest characters: mostly Latin-1 (one byte each when
// kept) with, in some texts, characters just past it and beyond.
QString randomText(QRandomGenerator &random, int longest)
{
    static const QList<QStringView> latin1{u"a", u"z", u" ", u"\u00e9", u"\u00ff", u"\u0080"};
    static const QList<QStringView> wider{u"\u0100", u"\u4e2d", u"\U0001F600", u"\uFFFD"};
    const bool wide = random.bounded(4) == 0;
    QString text;
    const int length = random.bounded(longest + 1);
    for (int i = 0; i < length; ++i) {
        const auto &pool = wide && random.bounded(8) == 0 ? wider : latin1;
        text += pool.at(random.bounded(pool.size()));
    }
    return text;
}

} // namespace

void TestEntryTexts::randomOperationsMatchAStringList()
{
    // Two sequences and their expected texts, changed at random; empty texts
    // and texts handed from one to the other included.
    QRandomGenerator random(20261207);
    EntryTexts entries[2];
    QStringList expected[2];
    for (int step = 0; step < 3000; ++step) {
        const int which = static_cast<int>(random.bounded(2));
        switch (random.bounded(10)) {
        case 0:
            entries[which].clear();
            expected[which].clear();
            break;
        case 1:
            entries[which].append(entries[1 - which]);
            expected[which].append(expected[1 - which]);
            break;
        case 2:
            entries[which] = entries[1 - which];
            expected[which] = expected[1 - which];
            break;
        default: {
            const QString text = randomText(random, 40);
            entries[which].append(text);
            expected[which].append(text);
            break;
        }
        }
        if (step % 50 == 0) {
            QCOMPARE(texts(entries[0]), expected[0]);
            QCOMPARE(texts(entries[1]), expected[1]);
        }
    }
}

void TestEntryTexts::handedOutListingsStayAsTheyWere()
{
    // Pairs are gathered, handed out, cleared and gathered again, with room
    // reserved and made ready at random points in between, as lookups and the
    // preparation while typing do. Every listing handed out keeps its texts.
    QRandomGenerator random(7);
    EntryPairs pairs;
    QStringList firsts;
    QStringList seconds;
    QList<std::pair<EntryTexts, QStringList>> handedOut;
    for (int step = 0; step < 4000; ++step) {
        switch (random.bounded(20)) {
        case 0:
            pairs.clear();
            firsts.clear();
            seconds.clear();
            break;
        case 1:
            handedOut.append({pairs.firsts(), firsts});
            handedOut.append({pairs.seconds(), seconds});
            break;
        case 2:
            // The lists let go of what they were given.
            handedOut.clear();
            break;
        case 3:
            pairs.reserve(random.bounded(100), random.bounded(20000));
            break;
        case 4:
            pairs.prepareMore(random.bounded(8192));
            break;
        default: {
            const QString first = randomText(random, 8);
            const QString second = randomText(random, 300);
            pairs.append(first, second);
            firsts.append(first);
            seconds.append(second);
            break;
        }
        }
        QCOMPARE(pairs.size(), firsts.size());
        QCOMPARE(pairs.textSize(), firsts.join(QString()).size() + seconds.join(QString()).size());
        if (step % 40 == 0) {
            QCOMPARE(texts(pairs.firsts()), firsts);
            QCOMPARE(texts(pairs.seconds()), seconds);
            for (const auto &[listing, expected] : std::as_const(handedOut))
                QCOMPARE(texts(listing), expected);
        }
    }
}

void TestEntryTexts::handingOverShares()
{
    // A listing handed to an empty list is shared, not copied; one handed to a
    // list with entries follows them.
    EntryPairs pairs;
    pairs.append(u"apple", u"pomme");
    pairs.append(u"", u"");
    EntryTexts list;
    list.append(pairs.firsts());
    QVERIFY(list.isSharedWith(pairs.firsts()));
    list.append(pairs.seconds());
    QVERIFY(!list.isSharedWith(pairs.seconds()));
    QCOMPARE(texts(list), (QStringList{u"apple"_s, QString(), u"pomme"_s, QString()}));
}

QTEST_GUILESS_MAIN(TestEntryTexts)
#include "tst_entry_texts.moc"
