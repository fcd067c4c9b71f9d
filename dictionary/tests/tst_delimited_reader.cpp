// Reading records of two comma- or line-delimited fields, whole or piece by
// piece, and decoding a letter file's bytes line by line.
#include "delimited_reader.h"
#include "letter_text.h"
#include "record_reading.h"
#include "runtime_error.h"

#include <QRandomGenerator>
#include <QTest>

using namespace lexorra::dictionary;
using namespace Qt::StringLiterals;
using lexorra::testing::decodeLetterText;
using lexorra::testing::DecodedText;
using lexorra::testing::PieceSource;
using lexorra::testing::readAllRecords;
using lexorra::testing::referenceRead;
using lexorra::testing::ReadOutcome;

Q_DECLARE_METATYPE(lexorra::dictionary::TextEncoding)

namespace {

// Reads records the way the listing does: while not at the end, read two fields.
ReadOutcome readAll(const QString &text)
{
    DelimitedReader reader(text);
    return readAllRecords(reader);
}

// An endless run of one character, as a huge sparse file reads.
class EndlessSource final : public TextSource
{
public:
    explicit EndlessSource(QChar fill) : m_piece(64 * 1024, fill) {}
    bool readMore(QString &out) override
    {
        out.append(m_piece);
        given += m_piece.size();
        return true;
    }
    qsizetype given = 0;

private:
    QString m_piece;
};

} // namespace

class TestDelimitedReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void records_data();
    void records();
    void encoding_data();
    void encoding();
    void piecesReadAsTheWhole();
    void importedRecordsReadAsTheReference();
    void bytesDecodeTheSameInAnyPieces();
    void linesJudgedAsTheStandardDecoderJudges();
    void longFieldIsCut();
    void endlessFieldEndsTheText();
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
    QTest::newRow("damaged line loses only its own accents")
        << QByteArray("\xC3\xA9t\xC3\xA9,summer\r\nna\xEFve,naive\n\xC3\xA0 la,alamode")
        << u"été,summer\r\nnaïve,naive\nà la,alamode"_s << TextEncoding::Windows1252;
    QTest::newRow("UTF-8 BOM then one damaged line")
        << QByteArray("\xEF\xBB\xBF\xC3\xA9,a\r\xE9,b") << u"é,a\ré,b"_s << TextEncoding::Windows1252;
    QTest::newRow("UTF-16 lone surrogates") << QByteArray("\xFF\xFE\x00\xD8"
                                                          "a\x00"
                                                          "\x00\xDC"
                                                          "\x3D\xD8\x00\xDE"
                                                          "\x00\xD8",
                                                          14)
                                            << u"\uFFFDa\uFFFD\U0001F600\uFFFD"_s << TextEncoding::Utf16LittleEndian;
    QTest::newRow("UTF-16 odd byte at the end") << QByteArray("\xFE\xFF\x00"
                                                              "a"
                                                              "b",
                                                              5)
                                                << u"a\uFFFD"_s << TextEncoding::Utf16BigEndian;
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

void TestDelimitedReader::piecesReadAsTheWhole()
{
    // Random texts, heavy in delimiters, quotes and blanks, read in random
    // pieces give the records the plain reading of the whole text gives.
    QRandomGenerator random(20261207);
    const QString alphabet = u"ab\u00E9\U0001F600,,\"\n\r \t"_s + QChar(u'\0');
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int length = random.bounded(0, 60);
        for (int i = 0; i < length; ++i)
            text += alphabet.at(random.bounded(alphabet.size()));
        PieceSource source(text, [&random] { return random.bounded(1, 9); });
        DelimitedReader reader;
        reader.reset(&source);
        const ReadOutcome expected = referenceRead(text);
        const ReadOutcome streamed = readAllRecords(reader);
        QCOMPARE(streamed.records, expected.records);
        QCOMPARE(streamed.endedPastEnd, expected.endedPastEnd);
        QCOMPARE(readAll(text), expected);
    }
}

void TestDelimitedReader::importedRecordsReadAsTheReference()
{
    // Texts of records as an import writes them, "first","second" and a line
    // break, of lengths on both sides of what the reader takes at once, with
    // one in eight spoilt the ways hand-made files differ; read whole and in
    // random pieces, they give the records of the plain reading.
    QRandomGenerator random(20261208);
    const QString inside = u"ab\u00E9\U0001F600, \t'\u2C22\u0122"_s;
    const auto field = [&] {
        QString text;
        const int length = random.bounded(8) == 0 ? random.bounded(60, 140) : random.bounded(0, 40);
        for (int i = 0; i < length; ++i)
            text += inside.at(random.bounded(inside.size()));
        return text;
    };
    const QStringList spoilers{u"\""_s, u"\r"_s, u"\n"_s, u","_s, u" "_s, u"x"_s, u"\r\n"_s, QString()};
    for (int round = 0; round < 400; ++round) {
        QString text;
        const int records = random.bounded(1, 40);
        for (int i = 0; i < records; ++i) {
            QString record = u'"' + field() + u"\",\""_s + field() + u'"' + (random.bounded(4) == 0 ? u"\r\n"_s : u"\n"_s);
            if (random.bounded(8) == 0) {
                // Mostly at a quote, the comma or the line break.
                QList<qsizetype> marks;
                for (qsizetype at = 0; at < record.size(); ++at) {
                    if (QStringView(u"\",\r\n").contains(record.at(at)))
                        marks.append(at);
                }
                const qsizetype at = random.bounded(2) == 0 ? marks.at(random.bounded(marks.size()))
                                                            : random.bounded(record.size());
                const QString spoiler = spoilers.at(random.bounded(spoilers.size()));
                switch (random.bounded(3)) {
                case 0:
                    record.insert(at, spoiler);
                    break;
                case 1:
                    record.replace(at, 1, spoiler);
                    break;
                default:
                    record.remove(at, 1);
                    break;
                }
            }
            text += record;
        }
        const ReadOutcome expected = referenceRead(text);
        QCOMPARE(readAll(text), expected);
        PieceSource source(text, [&random] { return random.bounded(1, 300); });
        DelimitedReader reader;
        reader.reset(&source);
        QCOMPARE(readAllRecords(reader), expected);
    }
}

void TestDelimitedReader::bytesDecodeTheSameInAnyPieces()
{
    // However a file's bytes are split by the reads, the text is the one of
    // the whole file at once, for every kind of file.
    QRandomGenerator random(8);
    const QList<QByteArray> starts{QByteArray(), QByteArray("\xEF\xBB\xBF"), QByteArray("\xFF\xFE"),
                                   QByteArray("\xFE\xFF")};
    const QByteArray alphabet("a\xC3\xA9\xE9\xF0\x9F\x98\x80\xD8\xDC,\n\r\x00\xFF", 16);
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = starts.at(random.bounded(starts.size()));
        const int length = random.bounded(0, 50);
        for (int i = 0; i < length; ++i)
            bytes += alphabet.at(random.bounded(alphabet.size()));
        const DecodedText whole = decodeLetterText(bytes);

        LetterDecoder decoder;
        QString text;
        for (qsizetype pos = 0; pos < bytes.size();) {
            const qsizetype take = std::min<qsizetype>(random.bounded(1, 6), bytes.size() - pos);
            decoder.decode(QByteArrayView(bytes).sliced(pos, take), text);
            pos += take;
        }
        decoder.finish(text);
        QVERIFY2(text == whole.text, bytes.toHex().constData());
        QCOMPARE(decoder.encoding(), whole.encoding);
        // No lone surrogate comes out of any file.
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i).isHighSurrogate())
                QVERIFY(i + 1 < text.size() && text.at(++i).isLowSurrogate());
            else
                QVERIFY(!text.at(i).isLowSurrogate());
        }
    }
}

void TestDelimitedReader::linesJudgedAsTheStandardDecoderJudges()
{
    // A line reads as UTF-8 exactly when Qt's own UTF-8 decoder takes it
    // without error, and then as the same text; otherwise it reads as
    // Windows-1252, one character per byte. Lines are made of ASCII runs long
    // and short, well-formed sequences of every length, and the edge cases of
    // the standard: overlong forms, surrogates, code points past U+10FFFF,
    // sequences cut short, stray continuation bytes.
    QRandomGenerator random(20261208);
    const QList<QByteArray> pieces{
        "a",          "0123456789abcdefghij", "\xC3\xA9",     "\xDF\xBF",     "\xE0\xA0\x80", "\xEF\xBF\xBF",
        "\xED\x9F\xBF", "\xF0\x90\x80\x80",   "\xF4\x8F\xBF\xBF", "\xEF\xBB\xBF", "\xC0\xAF",     "\xC1\xBF",
        "\xE0\x9F\xBF", "\xED\xA0\x80",         "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF",
        "\x80",       "\xBF",                 "\xC3",         "\xE2\x82",     "\xF0\x9F\x98",   "\xE9",
    };
    QStringDecoder standard(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                        QStringConverter::Flag::ConvertInitialBom);
    int utf8Lines = 0;
    for (int round = 0; round < 4000; ++round) {
        QByteArray line;
        // Mostly one odd piece among ASCII, so that both outcomes are common.
        const int count = random.bounded(1, 12);
        for (int i = 0; i < count; ++i)
            line += pieces.at(random.bounded(i % 4 == 0 ? pieces.size() : 2));
        const QString expected = standard.decode(line);
        const bool valid = !standard.hasError();
        standard.resetState();

        const DecodedText decoded = decodeLetterText("x\n" + line + '\n');
        QVERIFY2(decoded.encoding == (valid ? TextEncoding::Utf8 : TextEncoding::Windows1252), line.toHex().constData());
        if (valid)
            QCOMPARE(decoded.text, u"x\n"_s + expected + u'\n');
        else
            QCOMPARE(decoded.text.size(), line.size() + 3);
        utf8Lines += valid;
    }
    // Both outcomes were tried many times.
    QVERIFY(utf8Lines > 500 && utf8Lines < 3500);
}

void TestDelimitedReader::longFieldIsCut()
{
    // A field beyond the limit keeps its first characters; the records after
    // it read as usual.
    const QString text = QString(kMaxFieldLength + 100000, u'x') + u"y,b\nc,d\n"_s;
    PieceSource source(text, [] { return 64 * 1024; });
    DelimitedReader reader;
    reader.reset(&source);
    QStringView first;
    QStringView second;
    reader.readRecord(first, second);
    QCOMPARE(first, QString(kMaxFieldLength, u'x'));
    QCOMPARE(second, u"b"_s);
    reader.readRecord(first, second);
    QCOMPARE(first.toString() + second.toString(), u"cd"_s);
    QVERIFY(reader.atEnd());
}

void TestDelimitedReader::endlessFieldEndsTheText()
{
    // A field that never ends (a sparse file of NUL bytes reads so) is taken
    // to end the text after a bounded read: the record it opens has no
    // second field.
    EndlessSource source(QChar(u'\0'));
    DelimitedReader reader;
    reader.reset(&source);
    QStringView first;
    QStringView second;
    try {
        reader.readRecord(first, second);
        QFAIL("a record was read after the end");
    } catch (const RuntimeError &error) {
        QCOMPARE(error.code(), ErrorCode::InputPastEndOfFile);
    }
    QVERIFY(reader.atEnd());
    QVERIFY(source.given <= kMaxFieldRun + 128 * 1024);
}

QTEST_GUILESS_MAIN(TestDelimitedReader)
#include "tst_delimited_reader.moc"
