// Times the dictionary core on a letter file of 32,767 records:
//  - one lookup of a missing word (the scan to the end of the file, then the
//    full listing with its selection), into in-memory lists;
//  - the bare reader (open, decode, read every record) against a plain read
//    of the same bytes split into lines.
// Run the release build: build/release/bench/bench_lookup
#include "../dictionary/tests/fakes.h"
#include "file_slots.h"
#include "translator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRecords = 32767;
constexpr int kRuns = 31;

double medianMs(const std::function<void()> &run)
{
    std::vector<double> samples;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        samples.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

QByteArray letterFile()
{
    QByteArray bytes;
    for (int i = 0; i < kRecords; ++i) {
        bytes += "a" + QByteArray::number(i, 36) + "word,\"traduction, numéro " + QByteArray::number(i) + "\"\n";
    }
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        return 1;
    const QByteArray bytes = letterFile();
    {
        QFile file(QStringLiteral("a.txt"));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 1;
    }

    testing::FakeEntryList list1;
    testing::FakeEntryList list2;
    testing::FakeCaption label2;
    testing::FakeDialogs dialogs;
    dictionary::Translator translator(list1, list2, label2, dialogs);
    list1.onSelectionChanged = [&] { translator.Recognize(); };

    const double lookup = medianMs([&] {
        dialogs.replies = {QStringLiteral("azzzzz")};
        translator.Begin_Translation();
    });
    if (list1.count() != kRecords || !dialogs.boxes.isEmpty())
        return 2;

    qsizetype readerRecords = 0;
    const double reader = medianMs([&] {
        dictionary::FileSlots files;
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
    const double plain = medianMs([&] {
        QFile file(QStringLiteral("a.txt"));
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        plainLines = lines.size();
    });
    if (readerRecords != kRecords || plainLines != kRecords)
        return 3;

    std::printf("letter file: %d records, %lld bytes\n", kRecords, static_cast<long long>(bytes.size()));
    std::printf("missing-word lookup (scan + listing): median %.2f ms over %d runs\n", lookup, kRuns);
    std::printf("reader: median %.2f ms; plain read and split: median %.2f ms; ratio %.2fx\n", reader, plain,
                reader / plain);
    return 0;
}
