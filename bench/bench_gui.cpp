// Times a whole lookup of a missing word through the real main window, on a
// letter file of 32,767 records: from the prompt's reply to the window with
// both lists filled, the nearest headword selected, its translation shown and
// the window laid out and painted. Prints the median of 15 runs and the
// process's peak resident memory with that listing shown.
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
// Run the release build: build/release/bench/bench_gui
#include "bench_support.h"
#include "window_controls.h"
#include "frm_trans.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QTemporaryDir>

#include <cstdio>

using namespace lexorra::testing;

namespace {

constexpr int kRuns = 15;
// No headword shares this word's first three characters ("azz"), so each
// listing keeps the first headword selected after comparing every record.
const QString kMissingWord = QStringLiteral("azzurro");

// The prompt answers at once and no box may block the run.
class InstantDialogs final : public lexorra::dictionary::UserDialogs
{
public:
    QString prompt(const QString &, const QString &) override { return kMissingWord; }
    void messageBox(const QString &, const QString &, lexorra::dictionary::MessageIcon) override { ++boxes; }

    int boxes = 0;
};

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
    if (!lexorra::bench::writeLetterFile(dir, "ab"))
        return 1;

    InstantDialogs dialogs;
    lexorra::FrmTrans window(&dialogs);
    window.show();
    QCoreApplication::processEvents();

    bool listed = true;
    const double median = lexorra::bench::medianMs(kRuns, [&] {
        window.Image1_Click();
        QCoreApplication::processEvents();
        listed = listed && list1(window)->model()->rowCount() == lexorra::bench::kRecords &&
                 list2(window)->model()->rowCount() == lexorra::bench::kRecords &&
                 list1(window)->currentIndex().row() == 0 && !label2(window)->text().isEmpty() && dialogs.boxes == 0;
    });
    if (!listed) {
        std::fprintf(stderr, "bench_gui: the lookup did not list the letter file as expected\n");
        return 1;
    }

    std::printf("missing-word lookup through the main window, %d records, median of %d runs: %.2f ms\n",
                lexorra::bench::kRecords, kRuns, median);
    std::printf("peak resident memory with the listing shown: %.1f MB\n",
                static_cast<double>(peakResidentKiB()) / 1024.0);
    return 0;
}
