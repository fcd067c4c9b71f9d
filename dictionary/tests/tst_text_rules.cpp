// The word rules: normalising a reply, proper case, first characters and the
// letter file's name, and text cut to what a box can show.
#include "text_rules.h"

#include <QTest>

using namespace lexorra::dictionary;
using namespace Qt::StringLiterals;

class TestTextRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void normalisedWord_data();
    void normalisedWord();
    void properCase_data();
    void properCase();
    void firstChars_data();
    void firstChars();
    void letterFileName_data();
    void letterFileName();
    void displayText_data();
    void displayText();
};

void TestTextRules::normalisedWord_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("expected");

    QTest::newRow("spaces around") << u"  Apple "_s << u"apple"_s;
    QTest::newRow("all capitals") << u"APPLE"_s << u"apple"_s;
    QTest::newRow("spaces only") << u"   "_s << QString();
    QTest::newRow("inner space kept") << u" Ice Cream "_s << u"ice cream"_s;
    QTest::newRow("tabs are not trimmed") << u"\tapple \t"_s << u"\tapple \t"_s;
    QTest::newRow("non-ASCII capitals") << u"ÉCOLE"_s << u"école"_s;
    QTest::newRow("no-break space is not trimmed") << u"\u00A0apple"_s << u"\u00A0apple"_s;
}

void TestTextRules::normalisedWord()
{
    QFETCH(QString, reply);
    QFETCH(QString, expected);
    QCOMPARE(lexorra::dictionary::normalisedWord(reply), expected);
}

void TestTextRules::properCase_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("mixed case") << u"LE CHAT noir"_s << u"Le Chat Noir"_s;
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("accented") << u"éCOLE ÉTÉ"_s << u"École Été"_s;
    QTest::newRow("tab separates") << u"a\tb"_s << u"A\tB"_s;
    QTest::newRow("line breaks separate") << u"a\nb\rc"_s << u"A\nB\rC"_s;
    QTest::newRow("VT and FF separate") << u"a\vb\fc"_s << u"A\vB\fC"_s;
    QTest::newRow("NUL separates") << QStringView(u"a\0b", 3).toString() << QStringView(u"A\0B", 3).toString();
    QTest::newRow("comma does not separate") << u"banque,RIVE"_s << u"Banque,rive"_s;
    QTest::newRow("hyphen does not separate") << u"JEAN-PIERRE"_s << u"Jean-pierre"_s;
    QTest::newRow("apostrophe does not separate") << u"L'HOMME"_s << u"L'homme"_s;
    QTest::newRow("no-break space does not separate") << u"a\u00A0b"_s << u"A\u00A0b"_s;
    QTest::newRow("leading punctuation") << u"(CHAT)"_s << u"(chat)"_s;
    QTest::newRow("double spaces kept") << u"un  deux "_s << u"Un  Deux "_s;
    QTest::newRow("letter beyond the BMP") << u"\U00010428\U00010400"_s << u"\U00010400\U00010428"_s;
}

void TestTextRules::properCase()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(lexorra::dictionary::properCase(text), expected);
}

void TestTextRules::firstChars_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("expected");

    QTest::newRow("longer") << u"apple"_s << 3 << u"app"_s;
    QTest::newRow("shorter") << u"ox"_s << 3 << u"ox"_s;
    QTest::newRow("empty") << QString() << 3 << QString();
    QTest::newRow("one") << u"zebra"_s << 1 << u"z"_s;
    QTest::newRow("surrogate pair kept whole") << u"\U0001F600ab"_s << 1 << u"\U0001F600"_s;
    QTest::newRow("counts code points") << u"\U0001F600\U0001F601ab"_s << 3 << u"\U0001F600\U0001F601a"_s;
}

void TestTextRules::firstChars()
{
    QFETCH(QString, text);
    QFETCH(int, n);
    QFETCH(QString, expected);
    QCOMPARE(lexorra::dictionary::firstChars(text, n), expected);
}

void TestTextRules::letterFileName_data()
{
    QTest::addColumn<QString>("searchWord");
    QTest::addColumn<QString>("expected");

    QTest::newRow("apple") << u"apple"_s << u"a.txt"_s;
    QTest::newRow("zebra") << u"zebra"_s << u"z.txt"_s;
    QTest::newRow("digit") << u"7up"_s << u"7.txt"_s;
    QTest::newRow("empty word pads to five") << QString() << u".txt "_s;
    QTest::newRow("accented letter") << u"école"_s << u"é.txt"_s;
    QTest::newRow("character beyond the BMP") << u"\U0001F600x"_s << u"\U0001F600.txt"_s;
    QTest::newRow("leading tab") << u"\tx"_s << u"\t.txt"_s;
}

void TestTextRules::letterFileName()
{
    QFETCH(QString, searchWord);
    QFETCH(QString, expected);
    QCOMPARE(lexorra::dictionary::letterFileName(searchWord), expected);
}

void TestTextRules::displayText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("cutAtWordBreak");

    const QString word = u"mot "_s;
    QTest::newRow("short text whole") << u"Le Chat Noir"_s << false;
    QTest::newRow("exactly the limit") << QString(kMaxShownLength, u'x') << false;
    QTest::newRow("long, words") << word.repeated(5000) << true;
    QTest::newRow("long, one word") << QString(kMaxShownLength * 3, u'x') << false;
    QTest::newRow("long, tabs and line breaks") << u"ab\tcd\nef\r\n"_s.repeated(2000) << true;
    QTest::newRow("long, surrogate pairs") << u"\U0001F600"_s.repeated(kMaxShownLength) << false;
    QTest::newRow("long, break far before the limit") << u"a "_s + QString(kMaxShownLength * 2, u'y') << false;
}

void TestTextRules::displayText()
{
    QFETCH(QString, text);
    QFETCH(bool, cutAtWordBreak);

    const QString shown = lexorra::dictionary::displayText(text);
    QVERIFY(shown.size() <= kMaxShownLength);
    if (text.size() <= kMaxShownLength) {
        QCOMPARE(shown, text);
        return;
    }
    // A cut text is a prefix of the whole, ended by an ellipsis, never ending
    // in half a surrogate pair or in blanks.
    QVERIFY(shown.endsWith(u'\u2026'));
    const QString kept = shown.chopped(1);
    QVERIFY(text.startsWith(kept));
    QVERIFY(!kept.isEmpty());
    QVERIFY(!kept.back().isHighSurrogate());
    QVERIFY(!kept.back().isSpace());
    // Where a word break lies near the limit, the cut falls on it, leaving
    // most of the room used.
    const QChar next = text.at(kept.size());
    QCOMPARE(next.isSpace(), cutAtWordBreak);
    QVERIFY(kept.size() > kMaxShownLength - 250);
}

QTEST_GUILESS_MAIN(TestTextRules)
#include "tst_text_rules.moc"
