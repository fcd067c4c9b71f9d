// Times a whole lookup of a missing word through the real main window, on a
// letter file of 32,767 records: from the prompt's reply to the window with
// both lists filled, the nearest headword selected, its translation shown and
// the window laid out and painted. Prints the median of 15 runs and the
// process's peak resident memory with that listing shown.
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
// Run the release build: build/release/bench/bench_gui
#include "frm_trans.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRecords = 32767;
constexpr int kRuns = 15;
// No headword shares this word's first three characters ("azz"), so each
// listing keeps the first headword selected after comparing every record.
const QString kMissingWord = QStringLiteral("azzurro");

// The prompt answers at once and no box may block the run.
class InstantDialogs final : public dictionary::UserDialogs
{
public:
    QString prompt(const QString &, const QString &) override { return kMissingWord; }
    void messageBox(const QString &, const QString &, dictionary::MessageIcon) override { ++boxes; }

    int boxes = 0;
};

QByteArray letterFile()
{
    QByteArray bytes;
    for (int i = 0; i < kRecords; ++i)
        bytes += "ab" + QByteArray::number(i, 36) + "word,\"traduction, numéro " + QByteArray::number(i) + "\"\n";
    return bytes;
}

// Peak resident set size of this process, in kibibytes, from /proc.
long peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        return 1;
    {
        const QByteArray bytes = letterFile();
        QFile file(QStringLiteral("a.txt"));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 1;
    }

    InstantDialogs dialogs;
    lexorra::FrmTrans window(&dialogs);
    window.show();
    QCoreApplication::processEvents();

    std::vector<double> samples;
    for (int run = 0; run <= kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        window.Image1_Click();
        QCoreApplication::processEvents();
        const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        if (run > 0) // the first run warms caches and is not counted
            samples.push_back(ms);

        if (window.list1()->count() != kRecords || window.list2()->count() != kRecords ||
            window.list1()->currentRow() != 0 || window.label2()->text().isEmpty() || dialogs.boxes != 0) {
            std::fprintf(stderr, "bench_gui: the lookup did not list the letter file as expected\n");
            return 1;
        }
    }
    std::sort(samples.begin(), samples.end());

    std::printf("missing-word lookup through the main window, %d records, median of %d runs: %.2f ms\n", kRecords,
                kRuns, samples[samples.size() / 2]);
    std::printf("  fastest %.2f ms, slowest %.2f ms\n", samples.front(), samples.back());
    std::printf("peak resident memory with the listing shown: %.1f MB\n",
                static_cast<double>(peakResidentKiB()) / 1024.0);
    return 0;
}
