// Numbered file slots: allocation, opening by bare name in the working
// directory, reading, end of file, closing, and the error numbers of each.
#include "file_slots.h"
#include "record_reading.h"
#include "runtime_error.h"
#include "scratch_dir.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <functional>

#include <sys/stat.h>

using namespace lexorra::dictionary;
using namespace Qt::StringLiterals;
using lexorra::testing::decodeLetterText;
using lexorra::testing::writeFile;

namespace {

constexpr int num(ErrorCode code)
{
    return static_cast<int>(code);
}

// The error number an operation raises, or 0 when it succeeds.
int errorOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const RuntimeError &error) {
        return error.number();
    }
    return 0;
}

} // namespace

class TestFileSlots : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void freeFileTakesLowestUnused();
    void everySlotTaken();
    void openErrors_data();
    void openErrors();
    void readsRecordsThenEnd();
    void readingAClosedSlotFails();
    void openIsConfinedToWorkingDirectory();
    void fileReadInChunksReadsAsWhole_data();
    void fileReadInChunksReadsAsWhole();
    void textSizeHint_data();
    void textSizeHint();

private:
    std::unique_ptr<lexorra::testing::ScratchWorkingDir> m_dir;
};

void TestFileSlots::init()
{
    m_dir = std::make_unique<lexorra::testing::ScratchWorkingDir>();
    QVERIFY(m_dir->isValid());
    lexorra::testing::writeFile(u"a.txt"_s, "apple,pomme\napricot,abricot\n");
}

void TestFileSlots::cleanup()
{
    m_dir.reset();
}

void TestFileSlots::freeFileTakesLowestUnused()
{
    FileSlots files;
    QCOMPARE(files.freeFile(), qint16(1));
    files.open(1, u"a.txt"_s);
    files.open(2, u"a.txt"_s);
    QCOMPARE(files.freeFile(), qint16(3));
    files.close(1);
    QCOMPARE(files.freeFile(), qint16(1));
    QCOMPARE(files.openCount(), 1);
    files.close(2);
    files.close(2); // closing twice is harmless
    QCOMPARE(files.openCount(), 0);
}

void TestFileSlots::everySlotTaken()
{
    FileSlots files;
    for (qint16 n = FileSlots::kFirstFileNumber; n <= FileSlots::kLastFileNumber; ++n)
        files.open(n, u"a.txt"_s);
    QCOMPARE(errorOf([&] { (void)files.freeFile(); }), num(ErrorCode::TooManyFiles));
    files.close(200);
    QCOMPARE(files.freeFile(), qint16(200));
}

void TestFileSlots::openErrors_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("error");

    QTest::newRow("existing file") << u"a.txt"_s << 1 << 0;
    QTest::newRow("missing file") << u"7.txt"_s << 1 << num(ErrorCode::FileNotFound);
    QTest::newRow("name padded with a space") << u".txt "_s << 1 << num(ErrorCode::FileNotFound);
    QTest::newRow("root separator") << u"/.txt"_s << 1 << num(ErrorCode::FileNotFound);
    QTest::newRow("directory") << u"d.txt"_s << 1 << num(ErrorCode::PathFileAccessError);
    QTest::newRow("FIFO") << u"f.txt"_s << 1 << num(ErrorCode::PathFileAccessError);
    QTest::newRow("device through a link") << u"n.txt"_s << 1 << num(ErrorCode::PathFileAccessError);
    QTest::newRow("NUL in the name") << QStringView(u"\0.txt", 5).toString() << 1
                                     << num(ErrorCode::BadFileNameOrNumber);
    QTest::newRow("slot 0") << u"a.txt"_s << 0 << num(ErrorCode::BadFileNameOrNumber);
    QTest::newRow("slot 256") << u"a.txt"_s << 256 << num(ErrorCode::BadFileNameOrNumber);
}

void TestFileSlots::openErrors()
{
    QFETCH(QString, name);
    QFETCH(int, number);
    QFETCH(int, error);

    QVERIFY(QDir().mkdir(u"d.txt"_s));
    QCOMPARE(::mkfifo("f.txt", 0600), 0); // no writer: opening it must still not block
    QVERIFY(QFile::link(u"/dev/null"_s, u"n.txt"_s));

    FileSlots files;
    QCOMPARE(errorOf([&] { files.open(static_cast<qint16>(number), name); }), error);
    QCOMPARE(files.openCount(), error == 0 ? 1 : 0);
}

void TestFileSlots::readsRecordsThenEnd()
{
    FileSlots files;
    files.open(1, u"a.txt"_s);
    QCOMPARE(errorOf([&] { files.open(1, u"a.txt"_s); }), num(ErrorCode::FileAlreadyOpen));

    QStringView headword;
    QStringView translation;
    QVERIFY(!files.eof(1));
    files.input(1, headword, translation);
    QCOMPARE(headword, u"apple"_s);
    QCOMPARE(translation, u"pomme"_s);
    files.input(1, headword, translation);
    QCOMPARE(headword, u"apricot"_s);
    QVERIFY(files.eof(1));
    QCOMPARE(errorOf([&] { files.input(1, headword, translation); }), num(ErrorCode::InputPastEndOfFile));

    // Reopening starts from the top again.
    files.close(1);
    files.open(1, u"a.txt"_s);
    files.input(1, headword, translation);
    QCOMPARE(headword, u"apple"_s);
}

void TestFileSlots::readingAClosedSlotFails()
{
    FileSlots files;
    QStringView headword;
    QStringView translation;
    QCOMPARE(errorOf([&] { files.input(3, headword, translation); }), num(ErrorCode::BadFileNameOrNumber));
    QCOMPARE(errorOf([&] { (void)files.eof(3); }), num(ErrorCode::BadFileNameOrNumber));
}

void TestFileSlots::openIsConfinedToWorkingDirectory()
{
    // A letter file of the same name one level up, or at the root, is never read.
    QVERIFY(QDir().mkdir(u"sub"_s));
    QVERIFY(QDir::setCurrent(u"sub"_s));
    FileSlots files;
    QCOMPARE(errorOf([&] { files.open(1, u"a.txt"_s); }), num(ErrorCode::FileNotFound));
    QCOMPARE(errorOf([&] { files.open(1, u"../a.txt"_s); }), num(ErrorCode::FileNotFound));
}

void TestFileSlots::fileReadInChunksReadsAsWhole_data()
{
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<int>("unitBytes");

    QTest::newRow("UTF-8 and Windows-1252 lines") << QByteArray() << 1;
    QTest::newRow("UTF-8 byte-order mark") << QByteArray("\xEF\xBB\xBF") << 1;
    QTest::newRow("UTF-16 little endian") << QByteArray("\xFF\xFE") << 2;
    QTest::newRow("UTF-16 big endian") << QByteArray("\xFE\xFF") << 2;
}

void TestFileSlots::fileReadInChunksReadsAsWhole()
{
    // Random files of a few chunks, whose records, multi-byte characters and
    // surrogate pairs straddle the chunk ends: reading them from the disk
    // piece by piece gives the records of reading the whole text at once.
    QFETCH(QByteArray, start);
    QFETCH(int, unitBytes);
    QRandomGenerator random(static_cast<quint32>(unitBytes * 31 + start.size()));
    const QList<QByteArray> pieces{"apple",    ",",
                                   "\n",       "\r\n",
                                   "\"",       " ",
                                   "\t",       "\xC3\xA9",
                                   "\xE9",     "\xF0\x9F\x98\x80",
                                   "\x00\xD8", "\x3D\xD8\x00\xDE",
                                   "x,y\n"};
    // The same text pieces, with a lone surrogate among them, for UTF-16.
    const QList<QString> texts{
        u"apple"_s, u","_s, u"\n"_s, u"\r\n"_s, u"\""_s, u" "_s, u"é"_s, u"😀"_s, QString(QChar(0xD800)), u"x,y\n"_s};
    const bool bigEndian = start.startsWith("\xFE");
    for (int round = 0; round < 4; ++round) {
        QByteArray bytes = start;
        while (bytes.size() < 3 * LetterFile::kChunkBytes + 1000) {
            if (unitBytes == 1) {
                bytes += pieces.at(random.bounded(pieces.size()));
                continue;
            }
            for (const QChar unit : texts.at(random.bounded(texts.size()))) {
                const char low = static_cast<char>(unit.unicode() & 0xFF);
                const char high = static_cast<char>(unit.unicode() >> 8);
                bytes += bigEndian ? QByteArray{&high, 1} + low : QByteArray{&low, 1} + high;
            }
        }
        writeFile(u"r.txt"_s, bytes);

        DelimitedReader whole(decodeLetterText(bytes).text);
        const lexorra::testing::ReadOutcome expected = lexorra::testing::readAllRecords(whole);
        FileSlots files;
        files.open(1, u"r.txt"_s);
        lexorra::testing::ReadOutcome streamed;
        while (!files.eof(1)) {
            QStringView headword;
            QStringView translation;
            if (errorOf([&] { files.input(1, headword, translation); }) != 0) {
                streamed.endedPastEnd = true;
                break;
            }
            streamed.records.append(headword.toString() + u'|' + translation.toString());
        }
        QVERIFY(expected.records.size() > 100);
        QCOMPARE(streamed, expected);
    }
}

void TestFileSlots::textSizeHint_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("hint");
    const QByteArray line16("abcdefg,hijklmn\n");
    QTest::newRow("empty file") << QByteArray() << 10 << 0;
    QTest::newRow("small file: its size") << QByteArray("apple,pomme\n") << 10 << 12;
    QTest::newRow("UTF-16: two bytes a character")
        << QByteArray("\xFF\xFE\x61\x00,\x00\x62\x00\n\x00", 10) << 10 << 5;
    QTest::newRow("big file: first lines times records") << line16.repeated(10000) << 100 << 1600;
    QTest::newRow("big file, records beyond it: its size") << line16.repeated(10000) << 20000 << 160000;
    QTest::newRow("CR line breaks") << QByteArray("abcdefg,hijklmn\r").repeated(10000) << 100 << 1600;
    QTest::newRow("no line break: its size") << QByteArray(70000, 'x') << 100 << 70000;
}

void TestFileSlots::textSizeHint()
{
    // How much text a listing of the first records will hold, for making room
    // ahead of time; reading it does not move the reading position.
    QFETCH(QByteArray, bytes);
    QFETCH(int, records);
    QFETCH(int, hint);
    writeFile(u"h.txt"_s, bytes);
    FileSlots files;
    QCOMPARE(files.textSizeHint(1, records), 0);
    files.open(1, u"h.txt"_s);
    QCOMPARE(files.textSizeHint(1, records), hint);
    if (bytes.contains(',')) {
        QStringView first;
        QStringView second;
        files.input(1, first, second);
        QCOMPARE(first, decodeLetterText(bytes).text.section(u',', 0, 0));
    }
    files.close(1);
}

QTEST_GUILESS_MAIN(TestFileSlots)
#include "tst_file_slots.moc"
