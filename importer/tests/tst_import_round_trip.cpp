// Imports each kind of dictionary with the real lexorra-import, then looks every
// headword up through the dictionary core and gets its merged translation.
#include "import_fixtures.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace lexorra::import::fixtures {

namespace {

using Lookups = QList<std::pair<QString, QString>>; // typed word, expected box ("" for none)

// Articles shaped like FreeDict's: headword line with pronunciation and tags,
// numbered senses, references, notes, examples, metadata and repeated headwords.
const QList<std::pair<QByteArray, QByteArray>> kDictdArticles = {
    {"00databaseshort", "00-database-short\n     Tiny Test Dictionary\n"},
    {"00databaseinfo", "Made for the tests.\n"},
    {"house", "house /haʊs/ <n>\n1. maison\n2. \"foyer\", demeure\n   see: {home}\n"},
    {" bank", "bank /bæŋk/ <n>\n [fin.] banque, établissement\n   Synonym: {lender}\n"},
    {"house", "House /haʊs/\nla Chambre <f>\n1. maison\n"},
    {"bank", "bank\nrive <f>\n"},
    {"élan", "élan /eɪˈlɑːn/\n élan,  fougue \n"},
    {"well, well", "well, well /wel/\ntiens, tiens\n"},
    {"xref", "xref\n see: {house}, {bank}\n"},
    {"007", "007\nagent secret\n"},
    {"emailadresse", "E-Mail-Adresse /iːmeɪl/ <f>\nemail address\n"},
    {"example", "example /ɪɡ/\nexemple\n      \"for example\"  - par exemple\n         Note: rare\n"},
};

const Lookups kDictdLookups = {
    {u"House"_s, shown(u"house"_s, u"maison; “foyer”, demeure; la Chambre"_s)},
    {u"  bank "_s, shown(u"bank"_s, u"[fin.] banque, établissement; rive"_s)},
    {u"ÉLAN"_s, shown(u"élan"_s, u"élan, fougue"_s)},
    {u"well, well"_s, shown(u"well, well"_s, u"tiens, tiens"_s)},
    {u"xref"_s, shown(u"xref"_s, u"see: house, bank"_s)},
    {u"example"_s, shown(u"example"_s, u"exemple"_s)},
    {u"007"_s, shown(u"007"_s, u"agent secret"_s)},
    {u"E-Mail-Adresse"_s, shown(u"e-mail-adresse"_s, u"email address"_s)},
    {u"emailadresse"_s, shown(u"emailadresse"_s, u"email address"_s)},
    {u"00databaseshort"_s, QString()},
    {u"home"_s, QString()},
};

} // namespace

class TestImportRoundTrip : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void manyHeadwordsInOneFile();
    void longFieldsReadWhole();
};

void TestImportRoundTrip::roundTrip_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<QString>("source");
    QTest::addColumn<Lookups>("lookups");
    QTest::addColumn<QString>("summary");

    QTest::newRow("dictd plain") << dictd(u"tiny"_s, kDictdArticles, false) << u"tiny.index"_s << kDictdLookups
                                 << u"Tiny Test Dictionary (dictd)"_s;
    QTest::newRow("dictd gzip") << dictd(u"tiny"_s, kDictdArticles, true) << u"tiny.index"_s << kDictdLookups
                                << u"Entries read:          10 (and 2 metadata"_s;
    QTest::newRow("dictd named by its data") << dictd(u"tiny"_s, kDictdArticles, true) << u"tiny.dict.dz"_s
                                             << kDictdLookups << u"Duplicates merged:     2"_s;

    QTest::newRow("StarDict plain text")
        << stardict(u"sd"_s, {{"cat", "1. chat\n2. matou"}, {"Dog", "chien"}, {"cat", "chat"}}, "m") << u"sd.ifo"_s
        << Lookups{{u"cat"_s, shown(u"cat"_s, u"chat; matou"_s)}, {u"dog"_s, shown(u"dog"_s, u"chien"_s)}}
        << u"Tiny StarDict (StarDict)"_s;
    Files packed = stardict(u"sd"_s, {{"cat", "1. chat\n2. matou"}, {"Dog", "chien"}}, "m");
    for (auto &[name, bytes] : packed) {
        if (!name.endsWith(u".ifo"_s)) {
            name += name.endsWith(u".idx"_s) ? u".gz"_s : u".dz"_s;
            bytes = gzipped(bytes);
        }
    }
    QTest::newRow("StarDict compressed") << packed << u"sd.ifo"_s
                                         << Lookups{{u"cat"_s, shown(u"cat"_s, u"chat; matou"_s)},
                                                    {u"dog"_s, shown(u"dog"_s, u"chien"_s)}}
                                         << u"Entries read:          2"_s;
    QTest::newRow("StarDict HTML") << stardict(u"sd"_s, {{"cat", "<b>chat</b>, matou &amp; co<br>minou&#x21;"}}, "h")
                                   << u"sd.ifo"_s << Lookups{{u"cat"_s, shown(u"cat"_s, u"chat, matou & co; minou!"_s)}}
                                   << u"Headwords written:     1"_s;
    QTest::newRow("StarDict XDXF") << stardict(u"sd"_s, {{"cat", "<k>cat</k> <tr>kæt</tr> <dtrn>chat</dtrn>"}}, "x")
                                   << u"sd.idx"_s << Lookups{{u"cat"_s, shown(u"cat"_s, u"chat"_s)}}
                                   << u"Letter files written:  1"_s;
    QTest::newRow("StarDict typed fields")
        << stardict(u"sd"_s, {{"cat", QByteArray("tkæt\0mchat\0", 12) + "W" + bigEndian32(2) + "xxhmatou"}}, {})
        << u"sd.ifo"_s << Lookups{{u"cat"_s, shown(u"cat"_s, u"chat; matou"_s)}} << u"Entries read:          1"_s;

    QTest::newRow("tsv") << Files{{u"w.tsv"_s, "\xEF\xBB\xBF"
                                               "apple\tpomme\r\nApple\tPomme\n\n pear \t poire  \t\t"
                                               "bergamote\nnaïve\tcandide, \"naïf\"\nhead \"word\"\tx\n\"quoted\"\ty\n"
                                               "/etc/passwd\tslash\n  \tnothing\nlonely\t \t\n"}}
                         << u"w.tsv"_s
                         << Lookups{{u"apple"_s, shown(u"apple"_s, u"pomme"_s)},
                                    {u"PEAR"_s, shown(u"pear"_s, u"poire; bergamote"_s)},
                                    {u"naïve"_s, shown(u"naïve"_s, u"candide, “naïf”"_s)},
                                    {u"head “word”"_s, shown(u"head “word”"_s, u"x"_s)},
                                    {u"“quoted”"_s, shown(u"“quoted”"_s, u"y"_s)}}
                         << u"Entries skipped:       3 (empty headword: 1, letter-file name impossible: 1, "
                            "no translation: 1, headword too long: 0)"_s;
    QTest::newRow("csv") << Files{{u"w.csv"_s, "\"bank\",\"banque, rive\"\nquote,\"il dit \"\"oui\"\"\"\n"
                                               "multi,\"ligne un\r\nligne deux\"\n  spaced  ,  x  \n"
                                               "\"a, b\",\"c\"\n7up,\"boisson\"\n"}}
                         << u"w.csv"_s
                         << Lookups{{u"bank"_s, shown(u"bank"_s, u"banque, rive"_s)},
                                    {u"quote"_s, shown(u"quote"_s, u"il dit “oui”"_s)},
                                    {u"multi"_s, shown(u"multi"_s, u"ligne un ligne deux"_s)},
                                    {u"spaced"_s, shown(u"spaced"_s, u"x"_s)},
                                    {u"a, b"_s, shown(u"a, b"_s, u"c"_s)},
                                    {u"7UP"_s, shown(u"7up"_s, u"boisson"_s)}}
                         << u"(comma-separated)"_s;
}

void TestImportRoundTrip::roundTrip()
{
    QFETCH(Files, files);
    QFETCH(QString, source);
    QFETCH(Lookups, lookups);
    QFETCH(QString, summary);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFiles(dir.path(), files);
    const Run run = runImporter(dir.path(), {source, u"out"_s});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QVERIFY2(run.out.contains(summary), qPrintable(run.out));
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err)); // no progress line without a terminal

    const QString out = dir.filePath(u"out"_s);
    for (const auto &[typed, expected] : lookups)
        QCOMPARE(lookUp(out, typed), expected);

    // Every record is "headword","translation" in code point order, UTF-8 without a byte-order mark.
    for (const QString &name : QDir(out).entryList(QDir::Files)) {
        QFile file(out + u'/' + name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        QByteArray previous;
        for (const QByteArray &line : bytes.split('\n')) {
            if (line.isEmpty())
                continue;
            QVERIFY2(line.startsWith('"') && line.endsWith('"') && line.count('"') == 4, line.constData());
            const QByteArray headword = line.mid(1, line.indexOf('"', 1) - 1);
            QVERIFY2(previous < headword, headword.constData());
            QCOMPARE(dictionary::letterFileName(QString::fromUtf8(headword)), name);
            previous = headword;
        }
    }
}

void TestImportRoundTrip::manyHeadwordsInOneFile()
{
    // Random headwords in one letter file, more than the list can show, with
    // translations full of commas, quotes and spaces.
    QRandomGenerator random(12);
    const QString alphabet = u"abcdeéßñ ,\"'-"_s;
    QHash<QString, QString> expected;
    QByteArray tsv;
    while (expected.size() < 33000) {
        QString headword = u"z"_s;
        QString translation;
        for (int i = random.bounded(1, 12); i > 0; --i)
            headword += alphabet.at(random.bounded(8)).toUpper();
        for (int i = random.bounded(1, 30); i > 0; --i)
            translation += alphabet.at(random.bounded(alphabet.size()));
        translation = translation.simplified();
        if (translation.isEmpty() || expected.contains(headword.toLower()))
            continue;
        expected.insert(headword.toLower(), translation);
        tsv += headword.toUtf8() + '\t' + translation.toUtf8() + '\n';
    }

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFiles(dir.path(), {{u"big.tsv"_s, tsv}});
    const Run run = runImporter(dir.path(), {u"big.tsv"_s, u"out"_s});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QVERIFY2(run.out.contains(u"z.txt: 33,000 records, the list shows the first 32,767"_s), qPrintable(run.out));

    QStringList words = expected.keys();
    std::sort(words.begin(), words.end());
    // The last headwords lie beyond what the list shows; lookups still find them.
    const QStringList sample = words.mid(words.size() - 10) + words.mid(random.bounded(words.size() - 20), 10);
    for (const QString &word : sample) {
        // Quotes come back typographic, opening or closing as they stand.
        QString box = lookUp(dir.filePath(u"out"_s), word);
        box.replace(u'“', u'"').replace(u'”', u'"');
        QCOMPARE(box.section(u'|', 1), dictionary::properCase(expected.value(word)));
        QCOMPARE(box.section(u'|', 0, 0), dictionary::properCase(word));
    }
}

void TestImportRoundTrip::longFieldsReadWhole()
{
    // Translations longer than a field of a letter file holds are cut at a
    // word break and end with "…", a headword that long is left out, and the
    // window reads every record whole: every headword is found, also after the
    // long ones.
    const qsizetype limit = dictionary::kMaxFieldLength;
    // Three bytes of UTF-8 a character: more than a line the reader takes whole.
    const QByteArray wide = QByteArray("辞書 ").repeated(limit / 3 + 100);
    const QByteArray words = QByteArray("mot ").repeated(limit / 2);
    const QByteArray tsv = "aa\t" + wide + "\nab\tcourt\n" + QByteArray(limit + 1, 'h') + "\tlong headword\n" + "ac\t" +
                           words + "\tsecond column\nad\tfin\n";
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFiles(dir.path(), {{u"w.tsv"_s, tsv}});
    const Run run = runImporter(dir.path(), {u"w.tsv"_s, u"out"_s});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QVERIFY2(run.out.contains(u"Translations cut:      2 "_s), qPrintable(run.out));
    QVERIFY2(run.out.contains(u"headword too long: 1)"_s), qPrintable(run.out));

    const QString out = dir.filePath(u"out"_s);
    QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{u"a.txt"_s});
    const testing::ReadOutcome read = readLetterFile(out, u"a.txt"_s);
    QVERIFY(!read.endedPastEnd);
    QCOMPARE(read.records.size(), 4);
    const QList<std::pair<QString, QString>> originals = {{u"aa"_s, QString::fromUtf8(wide)},
                                                          {u"ab"_s, u"court"_s},
                                                          {u"ac"_s, QString::fromUtf8(words) + u"; second column"_s},
                                                          {u"ad"_s, u"fin"_s}};
    for (qsizetype i = 0; i < originals.size(); ++i) {
        const auto &[headword, original] = originals.at(i);
        const QString translation = read.records.at(i).section(u'|', 1);
        QCOMPARE(read.records.at(i).section(u'|', 0, 0), headword);
        QVERIFY(translation.size() <= limit);
        if (original.size() > limit) {
            // Cut after a whole word.
            QVERIFY(translation.endsWith(u'…'));
            QVERIFY(original.startsWith(translation.chopped(1)));
            QCOMPARE(original.at(translation.size() - 1), u' ');
            QVERIFY(translation.size() > limit - 8);
        } else {
            QCOMPARE(translation, original);
        }
        QCOMPARE(lookUp(out, headword), shown(headword, dictionary::displayText(translation)));
    }
}

} // namespace lexorra::import::fixtures

QTEST_GUILESS_MAIN(lexorra::import::fixtures::TestImportRoundTrip)
#include "tst_import_round_trip.moc"
