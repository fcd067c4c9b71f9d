// Times the dictionary core, into in-memory lists that keep a listing as the
// window's lists do, on the German-English dictionary's letter file s.txt
// (50,747 records, 2.9 MB), imported with lexorra-import when Debian's
// dict-freedict-deu-eng is installed, else on a synthetic file of its shape:
//  - a word near its end ("süßwassersee"), a missing word ("sxqzzz"), and the
//    process's first lookup;
//  - beside them the floor: reading the file as the lookup does, 64 KiB at a
//    time, and reading it plus decoding it from UTF-8 with Qt's decoder;
//  - missing-word lookups in letter files of 10, 100 and 300 MB, and in
//    sparse files of 1 and 100 GiB, with the peak resident memory of each.
// Run the release build: build/release/bench/bench_lookup [--no-large] [--synthetic] [--runs N]
#include "bench_support.h"
#include "fake_lookup.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString kFoundWord = u"süßwassersee"_s;
const QString kMissingWord = u"sxqzzz"_s;
const QString kDictdIndex = u"/usr/share/dictd/freedict-deu-eng.index"_s;

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

using Lookup = lexorra::testing::WiredLookup<SharingList>;

// Writes s.txt in the working directory, from the installed dictionary or
// else synthetic; says which.
QString writeGermanEnglish(bool synthetic)
{
    if (!synthetic && QFile::exists(kDictdIndex)) {
        QProcess import;
        import.start(QStringLiteral(LEXORRA_IMPORT_PATH), {u"--quiet"_s, kDictdIndex, u"de-en"_s});
        if (import.waitForFinished(120000) && import.exitStatus() == QProcess::NormalExit && import.exitCode() == 0 &&
            QFile::rename(u"de-en/s.txt"_s, u"s.txt"_s))
            return u"freedict-deu-eng, imported"_s;
    }
    return lexorra::bench::writeGermanEnglishLike(u"s.txt"_s) ? u"synthetic, of its shape"_s : QString();
}

// Reads @p name to its end 64 KiB at a time, as the lookup does, and hands
// each piece to @p use.
bool readInPieces(const QString &name, const std::function<void(QByteArrayView)> &use)
{
    static QByteArray piece(64 * 1024, Qt::Uninitialized);
    const int fd = ::open(QFile::encodeName(name).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ssize_t got = 0;
    while ((got = ::read(fd, piece.data(), static_cast<size_t>(piece.size()))) > 0)
        use(QByteArrayView(piece.constData(), got));
    ::close(fd);
    return got == 0;
}

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

// Missing-word lookups in big and sparse letter files, with peak memory.
int timeLargeFiles()
{
    for (const int megabytes : {10, 100, 300}) {
        if (!lexorra::bench::writeSizedLetterFile(u"b.txt"_s, "b", qint64(megabytes) * 1000 * 1000))
            return 5;
        Lookup sized;
        const double before = statusMb("VmRSS");
        resetPeak();
        double cpu = 0;
        const double ms = lexorra::bench::medianMs(3, [&] { sized.lookUp(u"bzzzzz"_s); }, &cpu);
        const double peak = statusMb("VmHWM");
        if (sized.list1.count() != lexorra::dictionary::kMaxEntries)
            return 6;
        std::printf("%d MB letter file, missing word: median %.0f / %.0f ms over 3 runs; peak resident %.1f MiB "
                    "(%.1f MiB before)\n",
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
        const double ms = lexorra::bench::medianMs(3, [&] { sized.lookUp(u"cat"_s); }, &cpu);
        std::printf("%lld GiB sparse letter file: median %.0f / %.0f ms over 3 runs; peak resident %.1f MiB; %d "
                    "entries listed\n",
                    static_cast<long long>(gigabytes), ms, cpu, statusMb("VmHWM"), int(sized.list1.count()));
        QFile::remove(u"c.txt"_s);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    // Fewer for a profile, which takes its time.
    const int runs = arguments.contains(u"--runs"_s) ? arguments.value(arguments.indexOf(u"--runs"_s) + 1).toInt() : 41;
    if (runs < 1)
        return 1;
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        return 1;
    const QString origin = writeGermanEnglish(arguments.contains(u"--synthetic"_s));
    if (origin.isEmpty())
        return 1;

    Lookup lookup;
    // The process's first lookup: nothing of it is ready yet.
    const double firstCpuStart = lexorra::bench::threadCpuMs();
    QElapsedTimer timer;
    timer.start();
    lookup.lookUp(kFoundWord);
    const double first = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const double firstCpu = lexorra::bench::threadCpuMs() - firstCpuStart;

    double foundCpu = 0;
    const double found = lexorra::bench::medianMs(runs, [&] { lookup.lookUp(kFoundWord); }, &foundCpu);
    if (lookup.dialogs.boxes.size() != runs + 2 || lookup.list1.count() != lexorra::dictionary::kMaxEntries)
        return 2;
    double missingCpu = 0;
    const double missing = lexorra::bench::medianMs(runs, [&] { lookup.lookUp(kMissingWord); }, &missingCpu);
    if (lookup.dialogs.boxes.size() != runs + 2 || lookup.list1.count() != lexorra::dictionary::kMaxEntries)
        return 3;

    qsizetype bytes = 0;
    double readCpu = 0;
    const double read = lexorra::bench::medianMs(runs, [&] {
        bytes = 0;
        readInPieces(u"s.txt"_s, [&](QByteArrayView piece) { bytes += piece.size(); });
    }, &readCpu);
    QString text;
    double decodeCpu = 0;
    const double decode = lexorra::bench::medianMs(runs, [&] {
        QStringDecoder utf8(QStringConverter::Utf8);
        text.truncate(0);
        readInPieces(u"s.txt"_s, [&](QByteArrayView piece) { text.append(utf8.decode(piece)); });
    }, &decodeCpu);
    if (bytes != QFile(u"s.txt"_s).size() || text.count(u'\n') < lexorra::dictionary::kMaxEntries)
        return 4;

    std::printf("s.txt (%s): %lld lines, %lld bytes\n", qPrintable(origin), static_cast<long long>(text.count(u'\n')),
                static_cast<long long>(bytes));
    std::printf("median of %d runs, ms          wall  processor  x floor\n", runs);
    const auto row = [decodeCpu](const char *what, double wall, double cpu) {
        std::printf("  %-28s %6.2f  %9.2f  %7.2f\n", what, wall, cpu, cpu / decodeCpu);
    };
    row("found \"süßwassersee\"", found, foundCpu);
    row("missing \"sxqzzz\"", missing, missingCpu);
    row("first lookup after start", first, firstCpu);
    row("floor: read", read, readCpu);
    row("floor: read + decode UTF-8", decode, decodeCpu);

    return arguments.contains(u"--no-large"_s) ? 0 : timeLargeFiles();
}
