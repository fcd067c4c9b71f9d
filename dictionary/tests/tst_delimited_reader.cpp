// Reading records of two comma- or line-delimited fields, and deciding a
// letter file's encoding from its bytes.
#include "delimited_reader.h"
#include "letter_text.h"
#include "runtime_error.h"

#include <QRandomGenerator>
#include <QTest>

using namespace lexorra::dictionary;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(lexorra::dictionary::TextEncoding)

namespace {

struct ReadOutcome
{
    QStringList records; // "headword|translation"
    bool endedPastEnd = false;
};

// Reads records the way the listing does: while not at the end, read two fields.
ReadOutcome readAll(const QString &text)
{
    DelimitedReader reader(text);
    ReadOutcome outcome;
    while (!reader.atEnd()) {
        QString headword;
        QString translation;
        try {
            reader.readRecord(headword, translation);
        } catch (const RuntimeError &error) {
            if (error.code() != ErrorCode::InputPastEndOfFile)
                throw;
            outcome.endedPastEnd = true;
            break;
        }
        outcome.records.append(headword + u'|' + translation);
    }
    return outcome;
}

} // namespace

class TestDelimitedReader : public QObject
{
    Q_OBJECT

private slots:
    void records_data();
    void records();
    void readPastEndRaises();
    void anyTextReadsToTheEnd();
    void encoding_data();
    void encoding();
};

void TestDelimitedReader::records_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<bool>("endedPastEnd");

    QTest::newRow("one record per line") << u"apple,pomme\napricot,abricot\n"_s
                                         << QStringList{u"apple|pomme"_s, u"apricot|abricot"_s} << false;
    QTest::newRow("no newline at the end") << u"apple,pomme"_s << QStringList{u"apple|pomme"_s} << false;
    QTest::newRow("CRLF") << u"apple,pomme\r\npear,poire\r\n"_s << QStringList{u"apple|pomme"_s, u"pear|poire"_s}
                          << false;
    QTest::newRow("CR alone") << u"apple,pomme\rpear,poire\r"_s << QStringList{u"apple|pomme"_s, u"pear|poire"_s}
                              << false;
    QTest::newRow("spaces around unquoted fields dropped")
        << u"  apple  ,  pomme verte  \n"_s << QStringList{u"apple|pomme verte"_s} << false;
    QTest::newRow("tabs around unquoted fields dropped")
        << u"\tapple\t,\tpomme\t\n"_s << QStringList{u"apple|pomme"_s} << false;
    QTest::newRow("quoted headword with a comma") << u"\"bank, river\",rive\nbanana,banane\n"_s
                                                  << QStringList{u"bank, river|rive"_s, u"banana|banane"_s} << false;
    QTest::newRow("quoted translation keeps spaces and commas")
        << u"bank,\"  banque, rive  \"\n"_s << QStringList{u"bank|  banque, rive  "_s} << false;
    QTest::newRow("junk after a closing quote dropped") << u"\"a\"x ,b\n"_s << QStringList{u"a|b"_s} << false;
    QTest::newRow("unclosed quote ends at the line")
        << u"\"apple,pomme\npear,poire\n"_s << QStringList{u"apple,pomme|pear"_s} << true;
    QTest::newRow("quote inside an unquoted field kept")
        << u"nail,5\" clou\n"_s << QStringList{u"nail|5\" clou"_s} << false;
    QTest::newRow("two fields over two lines") << u"apple\npomme\n"_s << QStringList{u"apple|pomme"_s} << false;
    QTest::newRow("adjacent commas give an empty field") << u"a,,b,c\n"_s << QStringList{u"a|"_s, u"b|c"_s} << false;
    QTest::newRow("blank line shifts the pairing")
        << u"apple,pomme\n\nbanana,banane\ncherry,cerise\n"_s
        << QStringList{u"apple|pomme"_s, u"|banana"_s, u"banane|cherry"_s} << true;
    QTest::newRow("stray extra field shifts the pairing")
        << u"apple,pomme,verte\nbanana,banane\n"_s << QStringList{u"apple|pomme"_s, u"verte|banana"_s} << true;
    QTest::newRow("last record cut short") << u"apple,pomme\nbanana\n"_s << QStringList{u"apple|pomme"_s} << true;
    QTest::newRow("last record cut short after a comma")
        << u"apple,pomme\nbanana,"_s << QStringList{u"apple|pomme"_s} << true;
    QTest::newRow("trailing blanks only") << u"apple,pomme\n   "_s << QStringList{u"apple|pomme"_s} << true;
    QTest::newRow("empty text") << QString() << QStringList{} << false;
    QTest::newRow("numbers stay text") << u"007,0.50\n"_s << QStringList{u"007|0.50"_s} << false;
    QTest::newRow("hash-bracketed values stay text")
        << u"#TRUE#,#2024-01-01#\n"_s << QStringList{u"#TRUE#|#2024-01-01#"_s} << false;
}

void TestDelimitedReader::records()
{
    QFETCH(QString, text);
    QFETCH(QStringList, records);
    QFETCH(bool, endedPastEnd);

    const ReadOutcome outcome = readAll(text);
    QCOMPARE(outcome.records, records);
    QCOMPARE(outcome.endedPastEnd, endedPastEnd);
}

void TestDelimitedReader::readPastEndRaises()
{
    DelimitedReader reader(u"only"_s);
    QCOMPARE(reader.readField(), u"only"_s);
    QVERIFY(reader.atEnd());
    try {
        (void)reader.readField();
        QFAIL("reading past the end did not fail");
    } catch (const RuntimeError &error) {
        QCOMPARE(error.code(), ErrorCode::InputPastEndOfFile);
    }
}

void TestDelimitedReader::anyTextReadsToTheEnd()
{
    // Arbitrary bytes, heavy in delimiters and quotes: decoding never fails,
    // every read either takes a field or reports the end, no field holds a
    // line break, and the reader always gets to the end of the text.
    QRandomGenerator random(7);
    const QByteArray alphabet("a\xC3\xA9\xE9,\",\n\r \t\x00\xFF", 13);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes;
        const int length = random.bounded(0, 40);
        for (int i = 0; i < length; ++i)
            bytes += alphabet.at(random.bounded(alphabet.size()));
        const QString text = decodeLetterText(bytes).text;

        DelimitedReader reader(text);
        int fields = 0;
        bool ended = false;
        while (!ended) {
            QVERIFY2(fields <= text.size(), bytes.toHex().constData());
            try {
                const QString field = reader.readField();
                QVERIFY2(!field.contains(u'\n') && !field.contains(u'\r'), bytes.toHex().constData());
                ++fields;
            } catch (const RuntimeError &error) {
                QCOMPARE(error.code(), ErrorCode::InputPastEndOfFile);
                ended = true;
            }
        }
        QVERIFY(reader.atEnd());
    }
}

void TestDelimitedReader::encoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<lexorra::dictionary::TextEncoding>("encoding");

    const QString cafe = u"café,coffee\n"_s;
    QTest::newRow("UTF-8") << cafe.toUtf8() << cafe << TextEncoding::Utf8;
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF") + cafe.toUtf8() << cafe << TextEncoding::Utf8;
    QTest::newRow("Windows-1252") << cafe.toLatin1() << cafe << TextEncoding::Windows1252;
    QTest::newRow("Windows-1252 upper half")
        << QByteArray("\x80\x8C\x9C\x85\x81", 5) << u"€Œœ…\u0081"_s << TextEncoding::Windows1252;
    QTest::newRow("plain ASCII") << QByteArray("apple,pomme\n") << u"apple,pomme\n"_s << TextEncoding::Utf8;
    QTest::newRow("one bad byte makes the whole file Windows-1252")
        << QByteArray("na\xC3\xAFve,\xE9t\xE9\n") << u"naÃ¯ve,été\n"_s << TextEncoding::Windows1252;
    QTest::newRow("Windows-1252 byte last in the file")
        << QByteArray("cafe,caf\xE9") << u"cafe,café"_s << TextEncoding::Windows1252;
    QTest::newRow("UTF-8 sequence cut off at the end")
        << QByteArray("caf\xC3") << u"cafÃ"_s << TextEncoding::Windows1252;
    QTest::newRow("UTF-8 BOM then Windows-1252")
        << QByteArray("\xEF\xBB\xBF\xE9t\xE9") << u"été"_s << TextEncoding::Windows1252;
    QTest::newRow("UTF-16 little endian")
        << QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char *>(cafe.utf16()), cafe.size() * 2) << cafe
        << TextEncoding::Utf16LittleEndian;
    QTest::newRow("UTF-16 big endian") << QByteArray("\xFE\xFF\x00\xE9\x00,", 6) << u"é,"_s
                                       << TextEncoding::Utf16BigEndian;
    QTest::newRow("empty") << QByteArray() << QString() << TextEncoding::Utf8;
}

void TestDelimitedReader::encoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(lexorra::dictionary::TextEncoding, encoding);

    const DecodedText decoded = decodeLetterText(bytes);
    QCOMPARE(decoded.text, text);
    QCOMPARE(decoded.encoding, encoding);
}

QTEST_GUILESS_MAIN(TestDelimitedReader)
#include "tst_delimited_reader.moc"
