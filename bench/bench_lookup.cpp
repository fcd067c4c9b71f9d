// Times the dictionary core on a letter file of 32,767 records:
//  - one lookup of a missing word (the scan to the end of the file, then the
//    full listing with its selection), into in-memory lists;
//  - the bare reader (open, decode, read every record) against a plain read
//    of the same bytes split into lines.
// Run the release build: build/release/bench/bench_lookup
#include "fake_lookup.h"
#include "bench_support.h"
#include "file_slots.h"
#include "translator.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kRuns = 31;

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!lexorra::bench::writeLetterFile(dir, "a"))
        return 1;

    lexorra::testing::FakeEntryList list1;
    lexorra::testing::FakeEntryList list2;
    lexorra::testing::FakeCaption label2;
    lexorra::testing::FakeDialogs dialogs;
    lexorra::dictionary::Translator translator(list1, list2, label2, dialogs);
    list1.onSelectionChanged = [&] { translator.Recognize(); };

    const double lookup = lexorra::bench::medianMs(kRuns, [&] {
        dialogs.replies = {QStringLiteral("azzzzz")};
        translator.Begin_Translation();
    });
    if (list1.count() != lexorra::bench::kRecords || !dialogs.boxes.isEmpty())
        return 2;

    qsizetype readerRecords = 0;
    const double reader = lexorra::bench::medianMs(kRuns, [&] {
        lexorra::dictionary::FileSlots files;
        files.open(1, QStringLiteral("a.txt"));
        QString headword;
        QString translation;
        readerRecords = 0;
        while (!files.eof(1)) {
            files.input(1, headword, translation);
            ++readerRecords;
        }
        files.close(1);
    });

    qsizetype plainLines = 0;
    const double plain = lexorra::bench::medianMs(kRuns, [&] {
        QFile file(QStringLiteral("a.txt"));
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        plainLines = lines.size();
    });
    if (readerRecords != lexorra::bench::kRecords || plainLines != lexorra::bench::kRecords)
        return 3;

    std::printf("letter file: %d records, %lld bytes\n", lexorra::bench::kRecords,
                static_cast<long long>(QFile(QStringLiteral("a.txt")).size()));
    std::printf("missing-word lookup (scan + listing): median %.2f ms over %d runs\n", lookup, kRuns);
    std::printf("reader: median %.2f ms; plain read and split: median %.2f ms; ratio %.2fx\n", reader, plain,
                reader / plain);
    return 0;
}
