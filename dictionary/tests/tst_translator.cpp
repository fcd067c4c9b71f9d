// Whole lookups against letter files on disk: the prompt, the boxes shown, the
// two lists, the selected headword and the translation label.
#include "delimited_reader.h"
#include "fake_lookup.h"
#include "scratch_dir.h"
#include "text_rules.h"
#include "translator.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <cstdlib>
#include <new>
#include <stdexcept>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// AddressSanitizer reserves terabytes of address space, so a limit on it
// cannot be set under the sanitizer.
#if defined(__SANITIZE_ADDRESS__)
#define LEXORRA_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LEXORRA_ASAN 1
#endif
#endif

using namespace lexorra::dictionary;
using namespace lexorra::testing;
using namespace Qt::StringLiterals;

namespace {

using LetterFiles = QList<std::pair<QString, QByteArray>>;

// A box as "I|title|text" (information) or "C|title|text" (critical).
QStringList describe(const QList<FakeDialogs::Box> &boxes)
{
    QStringList out;
    for (const auto &box : boxes)
        out.append((box.icon == MessageIcon::Information ? u"I|"_s : u"C|"_s) + box.title + u'|' + box.text);
    return out;
}

const QString kWarning = u"C|Warning !|Enter an alphabet please :o)"_s;

using Lookup = WiredLookup<>;

QByteArray manyRecords(int count)
{
    QByteArray bytes;
    bytes.reserve(count * 24);
    for (int i = 0; i < count; ++i)
        bytes += "a" + QByteArray::number(i) + ",translation " + QByteArray::number(i) + "\n";
    return bytes;
}

} // namespace

Q_DECLARE_METATYPE(LetterFiles)

class TestTranslator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void lookup_data();
    void lookup();
    void preparationNeedsAReadableLetterFile();
    void promptTexts();
    void cancelKeepsEarlierListing();
    void sameFileListedTwice();
    void listingStopsAtTheEntryLimit();
    void failingLookupsNeverExhaustSlots_data();
    void failingLookupsNeverExhaustSlots();
    void selectionMatchesRecordByRecordScan();
    void recognizeFollowsList1();
    void longTranslationIsCutForDisplay();
    void hugeFilesTakeBoundedMemory_data();
    void hugeFilesTakeBoundedMemory();
    void exceptionsFromBelowEndTheLookup_data();
    void exceptionsFromBelowEndTheLookup();

private:
    std::unique_ptr<lexorra::testing::ScratchWorkingDir> m_dir;
};

void TestTranslator::init()
{
    m_dir = std::make_unique<lexorra::testing::ScratchWorkingDir>();
    QVERIFY(m_dir->isValid());
}

void TestTranslator::cleanup()
{
    m_dir.reset();
}

void TestTranslator::lookup_data()
{
    QTest::addColumn<LetterFiles>("files");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("headwords");
    QTest::addColumn<QStringList>("translations");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("label");

    const LetterFiles appleApricot{{u"a.txt"_s, "apple,pomme\napricot,abricot\n"}};

    QTest::newRow("found word") << appleApricot << u"apricot"_s << QStringList{u"I|Apricot|Abricot"_s}
                                << QStringList{u"apple"_s, u"apricot"_s} << QStringList{u"pomme"_s, u"abricot"_s} << 1
                                << u"Abricot"_s;
    QTest::newRow("reply with spaces and capitals")
        << appleApricot << u"  Apple "_s << QStringList{u"I|Apple|Pomme"_s} << QStringList{u"apple"_s, u"apricot"_s}
        << QStringList{u"pomme"_s, u"abricot"_s} << 0 << u"Pomme"_s;
    QTest::newRow("nearest is the first sharing the prefix")
        << LetterFiles{{u"a.txt"_s, "apparel,vêtements\napple,pomme\napply,appliquer\n"}} << u"apple"_s
        << QStringList{u"I|Apple|Pomme"_s} << QStringList{u"apparel"_s, u"apple"_s, u"apply"_s}
        << QStringList{u"vêtements"_s, u"pomme"_s, u"appliquer"_s} << 0 << u"Vêtements"_s;
    QTest::newRow("missing word, prefix shared")
        << LetterFiles{{u"a.txt"_s, "apple,pomme\naxon,axone\naxoloti,x\n"}} << u"axolotl"_s << QStringList{}
        << QStringList{u"apple"_s, u"axon"_s, u"axoloti"_s} << QStringList{u"pomme"_s, u"axone"_s, u"x"_s} << 1
        << u"Axone"_s;
    QTest::newRow("missing word, no prefix shared")
        << LetterFiles{{u"a.txt"_s, "apple,pomme\naxe,hache\n"}} << u"axolotl"_s << QStringList{}
        << QStringList{u"apple"_s, u"axe"_s} << QStringList{u"pomme"_s, u"hache"_s} << 0 << u"Pomme"_s;
    QTest::newRow("missing letter file") << appleApricot << u"7up"_s << QStringList{kWarning} << QStringList{}
                                         << QStringList{} << -1 << QString();
    QTest::newRow("spaces only, no such file")
        << appleApricot << u"   "_s << QStringList{kWarning} << QStringList{} << QStringList{} << -1 << QString();
    QTest::newRow("spaces only, file named .txt and a space")
        << LetterFiles{{u".txt "_s, "x,LE y\n"}} << u"   "_s << QStringList{u"I||"_s} << QStringList{u"x"_s}
        << QStringList{u"LE y"_s} << 0 << u"Le Y"_s;
    QTest::newRow("stored capitals are never found but listed")
        << LetterFiles{{u"a.txt"_s, "Apple,Pomme\napply,appliquer\n"}} << u"apple"_s << QStringList{}
        << QStringList{u"Apple"_s, u"apply"_s} << QStringList{u"Pomme"_s, u"appliquer"_s} << 1 << u"Appliquer"_s;
    QTest::newRow("last record cut short")
        << LetterFiles{{u"a.txt"_s, "apple,pomme\napricot,abricot\navocado\n"}} << u"avocado"_s << QStringList{}
        << QStringList{u"apple"_s, u"apricot"_s} << QStringList{u"pomme"_s, u"abricot"_s} << 0 << u"Pomme"_s;
    QTest::newRow("blank line shifts the pairing")
        << LetterFiles{{u"a.txt"_s, "apple,pomme\n\napricot,abricot\navocado,avocat\n"}} << u"apricot"_s
        << QStringList{} << QStringList{u"apple"_s, QString(), u"abricot"_s}
        << QStringList{u"pomme"_s, u"apricot"_s, u"avocado"_s} << 0 << u"Pomme"_s;
    QTest::newRow("quoted headword with a comma")
        << LetterFiles{{u"a.txt"_s, "\"a, b\",c\napple,\"pomme, FRUIT\"\n"}} << u"apple"_s
        << QStringList{u"I|Apple|Pomme, Fruit"_s} << QStringList{u"a, b"_s, u"apple"_s}
        << QStringList{u"c"_s, u"pomme, FRUIT"_s} << 1 << u"Pomme, Fruit"_s;
    QTest::newRow("proper case of the translation")
        << LetterFiles{{u"c.txt"_s, "cat,LE CHAT noir\n"}} << u"cat"_s << QStringList{u"I|Cat|Le Chat Noir"_s}
        << QStringList{u"cat"_s} << QStringList{u"LE CHAT noir"_s} << 0 << u"Le Chat Noir"_s;
    QTest::newRow("Windows-1252 letter file")
        << LetterFiles{{u"c.txt"_s, "caf\xE9,caf\xE9 cr\xE8me\n"}} << u"CAFÉ"_s << QStringList{u"I|Café|Café Crème"_s}
        << QStringList{u"café"_s} << QStringList{u"café crème"_s} << 0 << u"Café Crème"_s;
    QTest::newRow("Windows-1252 accent in the last byte")
        << LetterFiles{{u"c.txt"_s, "cafe,caf\xE9"}} << u"cafe"_s << QStringList{u"I|Cafe|Café"_s}
        << QStringList{u"cafe"_s} << QStringList{u"café"_s} << 0 << u"Café"_s;
    QTest::newRow("UTF-8 letter file with BOM")
        << LetterFiles{{u"c.txt"_s, "\xEF\xBB\xBF"
                                    "caf\xC3\xA9,caf\xC3\xA9 cr\xC3\xA8me\r\n"}}
        << u"café"_s << QStringList{u"I|Café|Café Crème"_s} << QStringList{u"café"_s} << QStringList{u"café crème"_s}
        << 0 << u"Café Crème"_s;
    QTest::newRow("accented first letter names its own file")
        << LetterFiles{{u"é.txt"_s, "école,school\n"}} << u"École"_s << QStringList{u"I|École|School"_s}
        << QStringList{u"école"_s} << QStringList{u"school"_s} << 0 << u"School"_s;
    QTest::newRow("path separator names no file")
        << LetterFiles{{u"a.txt"_s, "/x,y\n"}} << u"/etc"_s << QStringList{kWarning} << QStringList{} << QStringList{}
        << -1 << QString();
    QTest::newRow("letter file that is a directory")
        << LetterFiles{} << u"dog"_s << QStringList{} << QStringList{} << QStringList{} << -1 << QString();
    QTest::newRow("empty letter file") << LetterFiles{{u"e.txt"_s, ""}} << u"egg"_s << QStringList{} << QStringList{}
                                       << QStringList{} << -1 << QString();
    QTest::newRow("short search word matches only itself")
        << LetterFiles{{u"o.txt"_s, "oxen,bœufs\nox,bœuf\n"}} << u"ox"_s << QStringList{u"I|Ox|Bœuf"_s}
        << QStringList{u"oxen"_s, u"ox"_s} << QStringList{u"bœufs"_s, u"bœuf"_s} << 1 << u"Bœuf"_s;
    QTest::newRow("one-letter search word")
        << LetterFiles{{u"a.txt"_s, "apple,pomme\na,un\n"}} << u"a"_s << QStringList{u"I|A|Un"_s}
        << QStringList{u"apple"_s, u"a"_s} << QStringList{u"pomme"_s, u"un"_s} << 1 << u"Un"_s;
    QTest::newRow("UTF-8 file with one damaged line")
        << LetterFiles{{u"c.txt"_s, "caf\xC3\xA9,caf\xC3\xA9 cr\xC3\xA8me\nco\xEFncidence,hasard\n"}} << u"café"_s
        << QStringList{u"I|Café|Café Crème"_s} << QStringList{u"café"_s, u"coïncidence"_s}
        << QStringList{u"café crème"_s, u"hasard"_s} << 0 << u"Café Crème"_s;
    const QString lone = QString::fromUtf16(u"up,\xD800x\nun,y\xDC00\n");
    QTest::newRow("UTF-16 with lone surrogates")
        << LetterFiles{{u"u.txt"_s, QByteArray("\xFF\xFE", 2) +
                                        QByteArray(reinterpret_cast<const char *>(lone.utf16()), lone.size() * 2)}}
        << u"un"_s << QStringList{u"I|Un|Y\uFFFD"_s} << QStringList{u"up"_s, u"un"_s}
        << QStringList{u"\uFFFDx"_s, u"y\uFFFD"_s} << 1 << u"Y\uFFFD"_s;
    QTest::newRow("empty translation") << LetterFiles{{u"n.txt"_s, "nothing,\"\"\n"}} << u"nothing"_s
                                       << QStringList{u"I|Nothing|"_s} << QStringList{u"nothing"_s}
                                       << QStringList{QString()} << 0 << QString();
}

void TestTranslator::lookup()
{
    QFETCH(LetterFiles, files);
    QFETCH(QString, reply);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, headwords);
    QFETCH(QStringList, translations);
    QFETCH(int, selected);
    QFETCH(QString, label);

    for (const auto &[name, bytes] : files)
        writeFile(name, bytes);
    QVERIFY(QDir().mkdir(u"d.txt"_s));

    // Getting ready while the word is typed, letter by letter, changes
    // nothing of the outcome.
    for (const bool prepared : {false, true}) {
        Lookup lookup;
        if (prepared) {
            for (qsizetype typed = 1; typed <= reply.size(); ++typed)
                lookup.translator.prepare(reply.first(typed));
            while (lookup.translator.prepareMore()) {
            }
        }
        lookup.label2.caption = u"stale"_s;
        lookup.lookUp(reply);

        QCOMPARE(describe(lookup.dialogs.boxes), boxes);
        QCOMPARE(lookup.list1.entries, headwords);
        QCOMPARE(lookup.list2.entries, translations);
        QCOMPARE(lookup.list1.selectedIndex(), selected);
        QCOMPARE(lookup.list2.selectedIndex(), selected);
        QCOMPARE(lookup.label2.caption, label);
        QCOMPARE(lookup.translator.fileSlots().openCount(), 0);
        // Busy while working, on every path, but never behind a prompt or a box.
        QVERIFY(lookup.dialogs.busySpells > 0);
        QCOMPARE(lookup.dialogs.busyDepth, 0);
        QVERIFY(!lookup.dialogs.busyInDialog);
    }
}

void TestTranslator::preparationNeedsAReadableLetterFile()
{
    // Room is made ready for a letter file that can be read, once per file,
    // and never for a name the lookup would refuse.
    writeFile(u"a.txt"_s, manyRecords(2000));
    writeFile(u"e.txt"_s, "");
    QVERIFY(QDir().mkdir(u"d.txt"_s));
    Lookup lookup;
    const QList<std::pair<QString, bool>> typing{
        {QString(), false}, {u"7"_s, false},   {u"d"_s, false},  {u"e"_s, false}, {u"/"_s, false},
        {u"a"_s, true},     {u"ap"_s, false},  {u" A"_s, false}, {u"7"_s, false}, {u"a"_s, true},
    };
    for (const auto &[typed, ready] : typing)
        QVERIFY2(lookup.translator.prepare(typed) == ready, qPrintable(typed));
}

void TestTranslator::promptTexts()
{
    Lookup lookup;
    lookup.lookUp(QString());
    QCOMPARE(lookup.dialogs.prompts.size(), 1);
    QCOMPARE(lookup.dialogs.prompts.first().first, u" Enter any valid word ... "_s);
    QCOMPARE(lookup.dialogs.prompts.first().second, u" Lexorra."_s);
}

void TestTranslator::cancelKeepsEarlierListing()
{
    writeFile(u"a.txt"_s, "apple,pomme\napricot,abricot\n");
    Lookup lookup;
    lookup.lookUp(u"apricot"_s);
    const QStringList headwords = lookup.list1.entries;
    QCOMPARE(lookup.label2.caption, u"Abricot"_s);

    lookup.lookUp(QString()); // cancelled prompt
    QCOMPARE(lookup.dialogs.prompts.size(), 2);
    QCOMPARE(lookup.dialogs.boxes.size(), 1);
    QCOMPARE(lookup.list1.entries, headwords);
    QCOMPARE(lookup.list2.entries, (QStringList{u"pomme"_s, u"abricot"_s}));
    QCOMPARE(lookup.list1.selectedIndex(), qint16(1));
    QCOMPARE(lookup.label2.caption, u"Abricot"_s);
    QCOMPARE(lookup.translator.searchWord(), u"apricot"_s);
    QCOMPARE(lookup.translator.letterFile(), u"a.txt"_s);
}

void TestTranslator::sameFileListedTwice()
{
    writeFile(u"a.txt"_s, "apple,pomme\napparel,vêtements\napricot,abricot\n");
    Lookup lookup;
    lookup.lookUp(u"appendix"_s);
    const QStringList first = lookup.list1.entries;
    const qint16 firstSelected = lookup.list1.selectedIndex();
    const QString firstLabel = lookup.label2.caption;

    lookup.lookUp(u"appendix"_s);
    QCOMPARE(lookup.list1.entries, first);
    QCOMPARE(lookup.list1.selectedIndex(), firstSelected);
    QCOMPARE(lookup.label2.caption, firstLabel);
    QCOMPARE(firstSelected, qint16(0));
    QCOMPARE(lookup.translator.fileNumber(), qint16(1));
}

void TestTranslator::listingStopsAtTheEntryLimit()
{
    writeFile(u"a.txt"_s, manyRecords(40000));
    Lookup lookup;
    lookup.lookUp(u"a39999"_s); // found by the lookup, which reads past the list's limit

    QCOMPARE(describe(lookup.dialogs.boxes), QStringList{u"I|A39999|Translation 39999"_s});
    QCOMPARE(lookup.list1.count(), kMaxEntries);
    QCOMPARE(lookup.list2.count(), kMaxEntries);
    QCOMPARE(lookup.list1.entries.last(), u"a32766"_s);
    QCOMPARE(lookup.list2.entries.last(), u"translation 32766"_s);
    QCOMPARE(lookup.list1.selectedIndex(), qint16(39)); // the first headword sharing "a39"
    QCOMPARE(lookup.label2.caption, u"Translation 39"_s);
    QCOMPARE(lookup.translator.fileSlots().openCount(), 0);
}

void TestTranslator::failingLookupsNeverExhaustSlots_data()
{
    QTest::addColumn<QString>("reply");
    QTest::newRow("missing file") << u"7up"_s;
    QTest::newRow("directory") << u"dog"_s;
    QTest::newRow("missing word") << u"axolotl"_s;
    QTest::newRow("found word") << u"apple"_s;
    QTest::newRow("path separator") << u"/"_s;
}

void TestTranslator::failingLookupsNeverExhaustSlots()
{
    QFETCH(QString, reply);
    writeFile(u"a.txt"_s, "apple,pomme\n");
    QVERIFY(QDir().mkdir(u"d.txt"_s));

    Lookup lookup;
    for (int i = 0; i < FileSlots::kLastFileNumber + 5; ++i) {
        lookup.lookUp(reply);
        QCOMPARE(lookup.translator.fileSlots().openCount(), 0);
    }
    QCOMPARE(lookup.translator.fileNumber(), qint16(1));
}

void TestTranslator::selectionMatchesRecordByRecordScan()
{
    // The listing keeps its first prefix match while appending; this compares
    // it with rescanning the whole list after every record, on random files
    // whose headwords often share prefixes, some ending in a cut-short record.
    QRandomGenerator random(20261207);
    const QStringList stems{u"app"_s, u"apr"_s, u"ap"_s, u"a"_s, u"axe"_s, u"Apr"_s, u"b"_s};
    for (int round = 0; round < 60; ++round) {
        QByteArray bytes;
        QStringList heads;
        const int records = random.bounded(0, 12);
        for (int i = 0; i < records; ++i) {
            const QString head = stems.at(random.bounded(stems.size())) + QString::number(random.bounded(3));
            heads.append(head);
            bytes += head.toUtf8() + ",t" + QByteArray::number(i) + '\n';
        }
        const bool cutShort = random.bounded(4) == 0;
        if (cutShort)
            bytes += "tail\n";
        writeFile(u"a.txt"_s, bytes);
        const QStringList words{u"appx"_s, u"aprx"_s, u"apx"_s, u"ax"_s, u"axex"_s, u"a"_s};
        const QString word = words.at(random.bounded(words.size()));

        int expected = -1;
        QList<int> changes;
        for (int appended = 1; appended <= heads.size(); ++appended) {
            expected = 0;
            for (int i = 0; i < appended; ++i) {
                if (heads.at(i).left(3) == word.left(3)) {
                    expected = i;
                    break;
                }
            }
            if (changes.isEmpty() || changes.back() != expected)
                changes.append(expected);
        }

        Lookup lookup;
        QList<int> seen;
        lookup.list1.onSelectionChanged = [&] {
            seen.append(lookup.list1.selectedIndex());
            lookup.translator.Recognize();
        };
        lookup.lookUp(word);
        // The owner of List1 sees the same selection changes, in order.
        QCOMPARE(seen, changes);
        QCOMPARE(lookup.list1.entries, heads);
        QCOMPARE(lookup.list1.selectedIndex(), qint16(expected));
        QCOMPARE(lookup.label2.caption, expected < 0 ? QString() : u"T"_s + QString::number(expected));
    }
}

void TestTranslator::recognizeFollowsList1()
{
    writeFile(u"b.txt"_s, "bank,\"BANQUE, rive\"\nbean,haricot\nbed,lit\nbee,abeille\nblank,\n");
    Lookup lookup;
    lookup.lookUp(u"zzz"_s); // b.txt is missing: warning, nothing listed
    lookup.lookUp(u"bxx"_s);
    QCOMPARE(lookup.list1.count(), qint16(5));

    lookup.list1.select(3);
    QCOMPARE(lookup.list2.selectedIndex(), qint16(3));
    QCOMPARE(lookup.label2.caption, u"Abeille"_s);

    lookup.list1.select(0);
    QCOMPARE(lookup.label2.caption, u"Banque, Rive"_s);

    lookup.list1.select(4);
    QCOMPARE(lookup.label2.caption, QString());

    // With nothing selected the display leaves everything as it is.
    lookup.list1.clear();
    lookup.label2.caption = u"kept"_s;
    lookup.translator.Recognize();
    QCOMPARE(lookup.label2.caption, u"kept"_s);
    QCOMPARE(lookup.list2.selectedIndex(), qint16(4));
}

void TestTranslator::longTranslationIsCutForDisplay()
{
    // A translation of a megabyte reaches the list whole, but the box and the
    // label get only what they can lay out at once.
    const QByteArray translation = QByteArray("rouge ").repeated(175000);
    writeFile(u"a.txt"_s, "apple,\"" + translation + "\"\npear,poire\n");
    Lookup lookup;
    lookup.lookUp(u"apple"_s);

    QCOMPARE(lookup.dialogs.boxes.size(), 1);
    const QString boxText = lookup.dialogs.boxes.first().text;
    QVERIFY(boxText.size() <= kMaxShownLength);
    QVERIFY(boxText.startsWith(u"Rouge Rouge"_s));
    QVERIFY(boxText.endsWith(u"Rouge\u2026"_s));
    QCOMPARE(lookup.list2.entries.first(), QString::fromLatin1(translation));
    QCOMPARE(lookup.label2.caption, boxText);
}

void TestTranslator::hugeFilesTakeBoundedMemory_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<qint64>("sparseSize");
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("boxes");
    QTest::addColumn<int>("listed");

    constexpr qint64 kGiB = 1024LL * 1024 * 1024;
    // A sparse file costs no disk, and reads as NUL bytes without a line break.
    QTest::newRow("100 GB sparse file") << QByteArray() << 100 * kGiB << 0 << u"apple"_s << 0 << 0;
    QTest::newRow("a record, then 100 GB of NUL")
        << QByteArray("apple,pomme\n") << 100 * kGiB << 0 << u"apple"_s << 1 << 1;
    // 64 MiB of ordinary records, more than the memory left to the lookup.
    QTest::newRow("records beyond the memory limit")
        << QByteArray() << qint64(0) << 2800000 << u"azzz"_s << 0 << int(kMaxEntries);
}

void TestTranslator::hugeFilesTakeBoundedMemory()
{
    QFETCH(QByteArray, head);
    QFETCH(qint64, sparseSize);
    QFETCH(int, records);
    QFETCH(QString, reply);
    QFETCH(int, boxes);
    QFETCH(int, listed);

    QFile file(u"a.txt"_s);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(head), head.size());
    const QByteArray block = manyRecords(10000);
    for (int written = 0; written < records; written += 10000)
        QCOMPARE(file.write(block), block.size());
    if (sparseSize > 0 && !file.resize(sparseSize))
        QSKIP("this file system cannot hold a sparse file that large");
    file.close();
    constexpr qsizetype kHeadroom = 48 * 1024 * 1024;
    QVERIFY(sparseSize > kHeadroom || file.size() > kHeadroom);

    // 0 when the lookup ends as it should; what went wrong otherwise.
    const auto run = [&]() -> int {
        Lookup lookup;
        lookup.lookUp(reply);
        if (lookup.dialogs.boxes.size() != boxes || lookup.list1.count() != listed || lookup.list2.count() != listed ||
            lookup.translator.fileSlots().openCount() != 0)
            return 3;
        return 0;
    };

#ifdef LEXORRA_ASAN
    QCOMPARE(run(), 0);
    QSKIP("the outcome is checked, but AddressSanitizer leaves no room for a memory limit");
#else
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        // The child may use what it has mapped plus kHeadroom, less than the
        // file: reading the file whole must fail there.
        long pages = 0;
        QFile statm(u"/proc/self/statm"_s);
        if (statm.open(QIODevice::ReadOnly))
            pages = statm.readAll().split(' ').value(0).toLong();
        const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + kHeadroom;
        const struct rlimit cap = {limit, limit};
        if (pages <= 0 || ::setrlimit(RLIMIT_AS, &cap) != 0)
            ::_exit(1);
        void *whole = std::malloc(static_cast<size_t>(std::max<qint64>(file.size(), kHeadroom * 2)));
        if (whole) {
            std::free(whole);
            ::_exit(2);
        }
        ::_exit(run());
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY2(WIFEXITED(status), "the lookup did not end normally under the memory limit");
    QCOMPARE(WEXITSTATUS(status), 0);
#endif
}

void TestTranslator::exceptionsFromBelowEndTheLookup_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("allocation");
    QTest::newRow("found word, allocation fails") << u"apricot"_s << true;
    QTest::newRow("missing word, allocation fails") << u"axolotl"_s << true;
    QTest::newRow("found word, other exception") << u"apricot"_s << false;
    QTest::newRow("missing word, other exception") << u"axolotl"_s << false;
}

void TestTranslator::exceptionsFromBelowEndTheLookup()
{
    // A list that fails as it takes the listing: the lookup ends there, with
    // the file closed and nothing thrown at the caller, and the next lookup
    // works as usual.
    QFETCH(QString, reply);
    QFETCH(bool, allocation);
    writeFile(u"a.txt"_s, "apple,pomme\napricot,abricot\n");
    Lookup lookup;
    bool failing = true;
    struct FailingList final : EntryList
    {
        FakeEntryList &inner;
        const bool &failing;
        bool allocation;
        FailingList(FakeEntryList &list, const bool &fail, bool bad) : inner(list), failing(fail), allocation(bad) {}
        void clear() override { inner.clear(); }
        void append(const QString &text) override
        {
            if (failing && allocation)
                throw std::bad_alloc();
            if (failing)
                throw std::runtime_error("list failure");
            inner.append(text);
        }
        qint16 count() const override { return inner.count(); }
        QString text(qint16 index) const override { return inner.text(index); }
        qint16 selectedIndex() const override { return inner.selectedIndex(); }
        void select(qint16 index) override { inner.select(index); }
    } list2(lookup.list2, failing, allocation);
    Translator translator(lookup.list1, list2, lookup.label2, lookup.dialogs);

    lookup.dialogs.replies = {reply};
    translator.Begin_Translation();
    QCOMPARE(translator.fileSlots().openCount(), 0);
    QCOMPARE(lookup.dialogs.busyDepth, 0);
    QCOMPARE(lookup.list2.count(), qint16(0));

    failing = false;
    lookup.dialogs.replies = {reply};
    translator.Begin_Translation();
    QCOMPARE(translator.fileNumber(), qint16(1));
    QCOMPARE(lookup.list2.entries, (QStringList{u"pomme"_s, u"abricot"_s}));
    QCOMPARE(translator.fileSlots().openCount(), 0);
}

QTEST_GUILESS_MAIN(TestTranslator)
#include "tst_translator.moc"
