// The importer's parsers on bytes in memory: dictd numbers, article text,
// markup, the record fields as the core reads them back, gzip streams and
// StarDict indexes.
#include "article_text.h"
#include "byte_source.h"
#include "delimited_reader.h"
#include "entry_collector.h"
#include "import_error.h"
#include "import_fixtures.h"
#include "source_formats.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace lexorra::import::fixtures {

class TestImportParsers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dictdNumbers();
    void badDictdNumbers_data();
    void badDictdNumbers();
    void plainArticles_data();
    void plainArticles();
    void markup_data();
    void markup();
    void fieldsReadBackExactly();
    void lookupFormQuickAndPlain();
    void gzipStreams_data();
    void gzipStreams();
    void dictzipSizes();
    void stardictIndexWith64BitOffsets();
};

void TestImportParsers::dictdNumbers()
{
    QRandomGenerator random(7);
    for (int i = 0; i < 2000; ++i) {
        const quint64 value = i < 100 ? quint64(i) : random.generate64() >> random.bounded(4, 64);
        quint64 decoded = 1;
        QCOMPARE(decodeDictdNumber(encodeDictdNumber(value), decoded), qsizetype(-1));
        QCOMPARE(decoded, value);
    }
    // Fixed points of dictd's digits: A is 0, / is 63, most significant first.
    for (const auto &[digits, value] : {std::pair{"A", 0ull}, {"/", 63ull}, {"BA", 64ull}, {"B//", 8191ull}}) {
        quint64 decoded = 1;
        QCOMPARE(decodeDictdNumber(digits, decoded), qsizetype(-1));
        QCOMPARE(decoded, quint64(value));
        QCOMPARE(encodeDictdNumber(value), QByteArray(digits));
    }
}

void TestImportParsers::badDictdNumbers_data()
{
    QTest::addColumn<QByteArray>("digits");
    QTest::addColumn<qsizetype>("badAt");
    QTest::newRow("empty") << QByteArray() << qsizetype(0);
    QTest::newRow("space") << QByteArray("AB C") << qsizetype(2);
    QTest::newRow("dash") << QByteArray("-") << qsizetype(0);
    QTest::newRow("equals padding") << QByteArray("AB=") << qsizetype(2);
    QTest::newRow("eleven digits") << QByteArray("BAAAAAAAAAA") << qsizetype(10);
    QTest::newRow("non-ASCII") << QByteArray("A\xC3\xA9") << qsizetype(1);
}

void TestImportParsers::badDictdNumbers()
{
    QFETCH(QByteArray, digits);
    QFETCH(qsizetype, badAt);
    quint64 value = 0;
    QCOMPARE(decodeDictdNumber(digits, value), badAt);
}

void TestImportParsers::plainArticles_data()
{
    QTest::addColumn<QString>("article");
    QTest::addColumn<QString>("headword");
    QTest::addColumn<QStringList>("senses");
    QTest::addColumn<QStringList>("references");

    // References are kept only where they would stand in for a translation.
    QTest::newRow("FreeDict noun") << u"Bank /bˈaŋk/ <fem, n, sg>\n [fin.] bank <n>\n   Synonym: {Bankinstitut}\n\n"
                                      " see: {Banken}, {Privatbank}\n"_s
                                   << u"bank"_s << QStringList{u"[fin.] bank"_s} << QStringList{};
    QTest::newRow("references only") << u"Bank /bˈaŋk/\n   Synonym: {Bankinstitut}\n\n see: {Banken}, {Privatbank}\n"_s
                                     << u"bank"_s << QStringList{}
                                     << QStringList{u"Synonym: Bankinstitut"_s, u"see: Banken, Privatbank"_s};
    QTest::newRow("numbered senses") << u"a /ə/\n1. à, au milieu de\n2. un\n10) une\n"_s << u"a"_s
                                     << QStringList{u"à, au milieu de"_s, u"un"_s, u"une"_s} << QStringList{};
    QTest::newRow("headword line without pronunciation")
        << u"Haus <n>\nhouse\n"_s << u"haus"_s << QStringList{u"house"_s} << QStringList{};
    QTest::newRow("first line is a translation")
        << u"maison\ndemeure\n"_s << u"house"_s << QStringList{u"maison"_s, u"demeure"_s} << QStringList{};
    QTest::newRow("notes and examples left out")
        << u"ab /ˈap/\nfrom <prep>, as from/of <prep> [formal]\n      \"ab 1990\"  - as from 1990\n"
           "         Note: zeitlich\n"_s
        << u"ab"_s << QStringList{u"from, as from/of [formal]"_s} << QStringList{};
    QTest::newRow("pronunciation inside a sense") << u"x /x/\n section <n>s.,  /ˈɛs/\n (AB /ˈap/) unit\n"_s << u"x"_s
                                                  << QStringList{u"section s."_s, u"(AB) unit"_s} << QStringList{};
    QTest::newRow("slashes that are not pronunciations")
        << u"y /y/\nand/or, 1/2, http://x.org/ a\n"_s << u"y"_s << QStringList{u"and/or, 1/2, http://x.org/ a"_s}
        << QStringList{};
    QTest::newRow("angle brackets that are not tags")
        << u"z\na < b, c <d\n"_s << u"z"_s << QStringList{u"a < b, c <d"_s} << QStringList{};
    QTest::newRow("control characters and tabs")
        << u"w /w/\nmot\tclé\x01\r\n"_s << u"w"_s << QStringList{u"mot clé"_s} << QStringList{};
    QTest::newRow("empty") << QString() << u"e"_s << QStringList{} << QStringList{};
}

void TestImportParsers::plainArticles()
{
    QFETCH(QString, article);
    QFETCH(QString, headword);
    QFETCH(QStringList, senses);
    QFETCH(QStringList, references);
    const ArticleText text = plainArticle(article, headword);
    QCOMPARE(text.senses, senses);
    QCOMPARE(text.references, references);
}

void TestImportParsers::markup_data()
{
    QTest::addColumn<QString>("markup");
    QTest::addColumn<bool>("xdxf");
    QTest::addColumn<QString>("text");
    QTest::newRow("html") << u"<p>chat &amp; <i>matou</i></p><p>minou&#233;&#x21;</p>"_s << false
                          << u"\nchat & matou\n\nminoué!\n"_s;
    QTest::newRow("html script") << u"a<script>x</script>b<br/>c"_s << false << u"ab\nc"_s;
    QTest::newRow("xdxf") << u"<k>cat</k><tr>kæt</tr><dtrn>chat</dtrn>"_s << true << u"chat"_s;
    QTest::newRow("unknown and bad entities") << u"&bogus; &#0; &#xD800; &"_s << false << u"&bogus; &#0; &#xD800; &"_s;
    QTest::newRow("unclosed tag") << u"a <b"_s << false << u"a "_s;
}

void TestImportParsers::markup()
{
    QFETCH(QString, markup);
    QFETCH(bool, xdxf);
    QFETCH(QString, text);
    QCOMPARE(markupText(markup, xdxf), text);
}

void TestImportParsers::fieldsReadBackExactly()
{
    // Any text without quotes or line breaks is read back exactly, blanks,
    // commas and all; quotes come back typographic.
    QRandomGenerator random(3);
    const QString pieces[] = {u" "_s, u","_s, u"\""_s, u"\t"_s, u"é"_s, u"a"_s, u"Z"_s, u"😀"_s, u"“"_s};
    for (int round = 0; round < 500; ++round) {
        QString first;
        QString second;
        for (QString *text : {&first, &second}) {
            for (int i = random.bounded(0, 12); i > 0; --i)
                *text += pieces[random.bounded(int(std::size(pieces)))];
        }
        const QByteArray record = quotedField(first.toUtf8()) + ',' + quotedField(second.toUtf8()) + "\n";
        dictionary::DelimitedReader reader(QString::fromUtf8(record));
        QStringView firstView;
        QStringView secondView;
        reader.readRecord(firstView, secondView);
        QVERIFY(reader.atEnd());
        QString readFirst = firstView.toString();
        QString readSecond = secondView.toString();
        for (QString *text : {&readFirst, &readSecond})
            text->replace(u'“', u'"').replace(u'”', u'"');
        QCOMPARE(readFirst, QString(first).replace(u'“', u'"'));
        QCOMPARE(readSecond, QString(second).replace(u'“', u'"'));
    }
}

void TestImportParsers::lookupFormQuickAndPlain()
{
    // The quick way through Latin-1 text gives what the plain way gives: on
    // every Latin-1 character between letters, and on random text of blanks,
    // controls, letters of both cases, quotes and characters past Latin-1.
    for (char16_t c = 0; c < 0x100; ++c) {
        const QString text = u"a"_s + QChar(c) + u"B"_s + QChar(c);
        QCOMPARE(lookupForm(text), lookupFormPlain(text));
    }
    QRandomGenerator random(11);
    const QString pieces =
        u" \t\n\x01\x7F\u0085\u00A0aZ\u00C0\u00D7\u00DE\u00DF\u00FF\u00B5\"(\u201C\u0130\u2028\u017F"_s;
    for (int round = 0; round < 20000; ++round) {
        QString text;
        for (int i = random.bounded(0, 12); i > 0; --i)
            text += pieces.at(random.bounded(pieces.size()));
        QCOMPARE(lookupForm(text), lookupFormPlain(text));
    }
    // Quotes open at the start of a word and close elsewhere.
    QCOMPARE(storedHeadword(u" \"Ab\"  (\"C\u00C9\") x\"y"_s), u"“ab” (“cé”) x”y"_s);
}

namespace {

// @p packed inflated by a ByteSource, read in uneven pieces, inflating on a
// thread of its own when @p ahead.
QByteArray inflated(QByteArray packed, bool ahead)
{
    QBuffer buffer(&packed);
    buffer.open(QIODevice::ReadOnly);
    ByteSource source(buffer, true, u"x.gz"_s);
    if (ahead)
        source.readAhead();
    QByteArray out;
    char piece[7777];
    while (const qsizetype got = source.read(piece, sizeof piece))
        out.append(piece, got);
    return out;
}

} // namespace

void TestImportParsers::gzipStreams_data()
{
    QTest::addColumn<bool>("ahead");
    QTest::newRow("inflated as read") << false;
    QTest::newRow("inflated ahead") << true;
}

void TestImportParsers::gzipStreams()
{
    QFETCH(bool, ahead);
    QRandomGenerator random(5);
    // Several of the pieces the reading thread hands over.
    QByteArray data(3'000'000, '\0');
    for (char &c : data)
        c = char(random.bounded(16));
    const QByteArray packed = gzipped(data);
    QCOMPARE(inflated(packed, ahead), data);
    // Members one after another make one stream.
    QCOMPARE(inflated(gzipped("ab") + gzipped("cd"), ahead), QByteArray("abcd"));
    QCOMPARE(inflated(gzipped({}), ahead), QByteArray());
    QCOMPARE(gunzip(packed, u"x.gz"_s), data);

    // Cut anywhere, or with a byte changed, it fails with a message, never silently.
    for (int i = 0; i < 40; ++i) {
        QByteArray damaged = packed.left(random.bounded(packed.size()));
        if (i % 2 == 1) {
            damaged = packed;
            damaged[random.bounded(10, packed.size())] ^= char(1 << random.bounded(8));
        }
        try {
            (void)inflated(damaged, ahead);
            QFAIL("damaged stream accepted");
        } catch (const ImportError &error) {
            QVERIFY2(error.message().startsWith(u"x.gz: byte "_s), qPrintable(error.message()));
        }
    }
}

void TestImportParsers::dictzipSizes()
{
    // A dictzip file's header and trailer give the size of its data, whatever
    // the length of the last chunk; a plain gzip file, or one with a member
    // after the first, gives none.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"x.dict.dz"_s);
    QRandomGenerator random(9);
    for (const qsizetype size : {0, 1, 99, 100, 101, 250, 100000}) {
        QByteArray data(size, '\0');
        for (char &c : data)
            c = char(random.bounded(256));
        const QByteArray packed = dictzipped(data, 100);
        QCOMPARE(gunzip(packed, path), data);
        const QList<std::pair<QByteArray, std::optional<quint64>>> cases = {
            {packed, quint64(size)}, {gzipped(data), std::nullopt}, {packed + gzipped("x"), std::nullopt}};
        for (const auto &[bytes, expected] : cases) {
            writeFiles(dir.path(), {{u"x.dict.dz"_s, bytes}});
            QCOMPARE(dictzipDataSize(path), expected);
        }
    }
}

void TestImportParsers::stardictIndexWith64BitOffsets()
{
    const QByteArray idx = QByteArray("big\0", 4) + bigEndian32(1) + bigEndian32(2) + bigEndian32(7) +
                           QByteArray("small\0", 6) + bigEndian32(0) + bigEndian32(0) + bigEndian32(1);
    const auto entries = parseStardictIndex(idx, 64, u"x.idx"_s);
    QCOMPARE(entries.size(), size_t(2));
    QCOMPARE(entries[0].offset, (quint64(1) << 32) + 2);
    QCOMPARE(entries[0].size, quint64(7));
    QCOMPARE(entries[1].headword, QByteArrayView("small"));
    QCOMPARE(entries[1].at, qint64(16));
    QVERIFY_THROWS_EXCEPTION(ImportError, parseStardictIndex(idx.chopped(1), 64, u"x.idx"_s));
    QVERIFY_THROWS_EXCEPTION(ImportError, parseStardictIndex(idx, 32, u"x.idx"_s));
}

} // namespace lexorra::import::fixtures

QTEST_GUILESS_MAIN(lexorra::import::fixtures::TestImportParsers)
#include "tst_import_parsers.moc"
