// Times the dictionary core, into in-memory lists:
//  - a lookup of a missing word in a letter file of 32,767 records (the scan
//    to the end of the file, then the full listing with its selection), and
//    the bare reader against a plain read of the same bytes split into lines;
//  - lookups in a big dictionary's letter file (63,109 records, 8.8 MB): the
//    first after start, a word near the end, and a missing word;
//  - missing-word lookups in letter files of 10, 100 and 300 MB, and in
//    sparse files of 1 and 100 GiB, with the peak resident memory of each.
// Run the release build: build/release/bench/bench_lookup [--no-large]
#include "bench_support.h"
#include "fake_lookup.h"
#include "file_slots.h"
#include "translator.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRuns = 31;

// An in-memory list that keeps a listing the way the window's list boxes do:
// a share of the texts the lookup gathered, with no string per entry.
class SharingList final : public lexorra::dictionary::EntryList
{
public:
    void clear() override
    {
        m_entries.clear();
        m_selected = -1;
    }
    void append(const QString &text) override { m_entries.append(text); }
    void appendAll(const lexorra::dictionary::EntryTexts &texts) override { m_entries.append(texts); }
    [[nodiscard]] qint16 count() const override { return static_cast<qint16>(m_entries.size()); }
    [[nodiscard]] QString text(qint16 index) const override { return m_entries.at(index); }
    [[nodiscard]] qint16 selectedIndex() const override { return m_selected; }
    void select(qint16 index) override
    {
        if (index == m_selected)
            return;
        m_selected = index;
        if (onSelectionChanged)
            onSelectionChanged();
    }

    std::function<void()> onSelectionChanged;

private:
    lexorra::dictionary::EntryTexts m_entries;
    qint16 m_selected = -1;
};

// The lookup's objects, wired the way the main window wires them.
struct Lookup
{
    SharingList list1;
    SharingList list2;
    lexorra::testing::FakeCaption label2;
    lexorra::testing::FakeDialogs dialogs;
    lexorra::dictionary::Translator translator{list1, list2, label2, dialogs};

    Lookup()
    {
        list1.onSelectionChanged = [this] { translator.Recognize(); };
    }
    void lookUp(const QString &word)
    {
        dialogs.replies = {word};
        translator.Begin_Translation();
    }
};

// A memory figure of this process from the kernel, in MiB: "VmRSS" is the
// resident memory now, "VmHWM" its peak since the last resetPeak().
double statusMb(const QByteArray &field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

void resetPeak()
{
    QFile clearRefs(u"/proc/self/clear_refs"_s);
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bool large = !(argc > 1 && std::strcmp(argv[1], "--no-large") == 0);
    QTemporaryDir dir;
    if (!lexorra::bench::writeLetterFile(dir, "a") || !lexorra::bench::writeDictionaryFile(u"s.txt"_s))
        return 1;

    // The big dictionary first, so that its first lookup is the process's first.
    {
        Lookup lookup;
        const double firstCpuStart = lexorra::bench::threadCpuMs();
        QElapsedTimer timer;
        timer.start();
        lookup.lookUp(u"s1p00"_s);
        const double first = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        const double firstCpu = lexorra::bench::threadCpuMs() - firstCpuStart;
        const QString nearEnd = u"s"_s + QString::number(lexorra::bench::kDictionaryRecords - 100, 36);
        double foundCpu = 0;
        const double found = lexorra::bench::medianMs(
            kRuns, [&] { lookup.lookUp(nearEnd); }, &foundCpu);
        if (lookup.dialogs.boxes.isEmpty() || lookup.list1.count() != lexorra::dictionary::kMaxEntries)
            return 4;
        double missingCpu = 0;
        const double missing = lexorra::bench::medianMs(
            kRuns, [&] { lookup.lookUp(u"szzzzz"_s); }, &missingCpu);
        std::printf("s.txt: %d records, %lld bytes (times: wall / processor)\n", lexorra::bench::kDictionaryRecords,
                    static_cast<long long>(QFile(u"s.txt"_s).size()));
        std::printf("  first lookup after start %.2f / %.2f ms\n", first, firstCpu);
        std::printf("  found near the end: median %.2f / %.2f ms over %d runs\n", found, foundCpu, kRuns);
        std::printf("  missing: median %.2f / %.2f ms over %d runs\n", missing, missingCpu, kRuns);
    }

    Lookup lookup;
    double missingCpu = 0;
    const double missing = lexorra::bench::medianMs(
        kRuns, [&] { lookup.lookUp(u"azzzzz"_s); }, &missingCpu);
    if (lookup.list1.count() != lexorra::bench::kRecords || !lookup.dialogs.boxes.isEmpty())
        return 2;

    qsizetype readerRecords = 0;
    const double reader = lexorra::bench::medianMs(kRuns, [&] {
        lexorra::dictionary::FileSlots files;
        files.open(1, u"a.txt"_s);
        QStringView headword;
        QStringView translation;
        readerRecords = 0;
        while (!files.eof(1)) {
            files.input(1, headword, translation);
            ++readerRecords;
        }
        files.close(1);
    });

    qsizetype plainLines = 0;
    const double plain = lexorra::bench::medianMs(kRuns, [&] {
        QFile file(u"a.txt"_s);
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        plainLines = lines.size();
    });
    if (readerRecords != lexorra::bench::kRecords || plainLines != lexorra::bench::kRecords)
        return 3;

    std::printf("letter file: %d records, %lld bytes\n", lexorra::bench::kRecords,
                static_cast<long long>(QFile(u"a.txt"_s).size()));
    std::printf("missing-word lookup (scan + listing): median %.2f ms (processor %.2f ms) over %d runs\n", missing,
                missingCpu, kRuns);
    std::printf("reader: median %.2f ms; plain read and split: median %.2f ms; ratio %.2fx\n", reader, plain,
                reader / plain);

    if (!large)
        return 0;
    for (const int megabytes : {10, 100, 300}) {
        if (!lexorra::bench::writeSizedLetterFile(u"b.txt"_s, "b", qint64(megabytes) * 1000 * 1000))
            return 5;
        Lookup sized;
        const double before = statusMb("VmRSS");
        resetPeak();
        double cpu = 0;
        const double ms = lexorra::bench::medianMs(
            3, [&] { sized.lookUp(u"bzzzzz"_s); }, &cpu);
        const double peak = statusMb("VmHWM");
        if (sized.list1.count() != lexorra::dictionary::kMaxEntries)
            return 6;
        std::printf("%d MB letter file, missing word: median %.0f ms (processor %.0f ms) over 3 runs; peak "
                    "resident %.1f MiB (%.1f MiB before)\n",
                    megabytes, ms, cpu, peak, before);
        QFile::remove(u"b.txt"_s);
    }
    // Sparse files read as NUL bytes without a line break, and cost no disk.
    for (const qint64 gigabytes : {1, 100}) {
        QFile sparse(u"c.txt"_s);
        if (!sparse.open(QIODevice::WriteOnly) || !sparse.resize(gigabytes * 1024 * 1024 * 1024))
            return 7;
        sparse.close();
        Lookup sized;
        resetPeak();
        double cpu = 0;
        const double ms = lexorra::bench::medianMs(
            3, [&] { sized.lookUp(u"cat"_s); }, &cpu);
        std::printf("%lld GiB sparse letter file: median %.0f ms (processor %.0f ms) over 3 runs; peak resident %.1f "
                    "MiB; %d entries listed\n",
                    static_cast<long long>(gigabytes), ms, cpu, statusMb("VmHWM"), int(sized.list1.count()));
        QFile::remove(u"c.txt"_s);
    }
    return 0;
}
