#pragma once

// What the benchmarks share: a large letter file in a scratch working
// directory, and the median of repeated timings.

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <ctime>
#include <functional>
#include <vector>

namespace lexorra::bench {

/// Lists the benchmarks' letter file holds, as many as a list can take.
inline constexpr int kRecords = 32767;

/// Makes a scratch directory the working directory and writes a.txt there:
/// kRecords records whose headwords are @p stem plus a running number, each
/// with a quoted translation holding a comma and an accent. False on failure.
inline bool writeLetterFile(QTemporaryDir &dir, const QByteArray &stem)
{
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        return false;
    QByteArray bytes;
    for (int i = 0; i < kRecords; ++i)
        bytes += stem + QByteArray::number(i, 36) + "word,\"traduction, numéro " + QByteArray::number(i) + "\"\n";
    QFile file(QStringLiteral("a.txt"));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

/// The processor time this thread has used, in milliseconds: unlike the
/// clock on the wall, it does not count time lost to other processes.
inline double threadCpuMs()
{
    timespec now = {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

/// Runs @p run once to warm up, then @p runs times, and returns the median
/// time in milliseconds; the median processor time goes to @p cpuMs if given.
inline double medianMs(int runs, const std::function<void()> &run, double *cpuMs = nullptr)
{
    run();
    std::vector<double> samples;
    std::vector<double> cpuSamples;
    for (int i = 0; i < runs; ++i) {
        const double cpuStart = threadCpuMs();
        QElapsedTimer timer;
        timer.start();
        run();
        samples.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        cpuSamples.push_back(threadCpuMs() - cpuStart);
    }
    std::sort(samples.begin(), samples.end());
    std::sort(cpuSamples.begin(), cpuSamples.end());
    if (cpuMs)
        *cpuMs = cpuSamples[cpuSamples.size() / 2];
    return samples[samples.size() / 2];
}

/// Writes @p name in the working directory: records like those of
/// writeLetterFile() with headwords of @p stem, until the file holds at least
/// @p size bytes. False on failure.
inline bool writeSizedLetterFile(const QString &name, const QByteArray &stem, qint64 size)
{
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray block;
    for (qint64 i = 0, written = 0; written < size; ++i) {
        block += stem + QByteArray::number(i, 36) + "word,\"traduction, numéro " + QByteArray::number(i) + "\"\n";
        if (block.size() >= 1 << 20 || written + block.size() >= size) {
            if (file.write(block) != block.size())
                return false;
            written += block.size();
            block.clear();
        }
    }
    return true;
}

/// Writes @p name in the working directory in the shape of the German-English
/// dictionary's s.txt as lexorra-import writes it: 50,747 records of two
/// quoted fields, sorted, 2.9 MB; about one line in four holds an umlaut or
/// "ß", translations run from one word to a few hundred characters, and
/// "süßwassersee" is the fifth record from the end. False on failure.
inline bool writeGermanEnglishLike(const QString &name)
{
    using namespace Qt::StringLiterals;
    constexpr int kRecords = 50747;
    QRandomGenerator random(50747);
    static const QList<QString> syllables{u"ab"_s,  u"stand"_s, u"sch"_s, u"ei"_s,  u"ung"_s, u"ver"_s, u"ter"_s,
                                          u"mal"_s, u"ken"_s,   u"ro"_s,  u"lich"_s, u"haus"_s, u"ig"_s, u"en"_s};
    static const QList<QString> accented{u"ä"_s, u"ö"_s, u"ü"_s, u"ß"_s};
    static const QList<QByteArray> words{"the", "house", "of", "small", "to", "run", "quickly", "[bot.]",
                                         "water", "lake", "[Am.]", "spring", "salt", "a", "kind", "ring"};
    QStringList headwords;
    while (headwords.size() < kRecords - 1) {
        QString headword = u"s"_s;
        const int count = random.bounded(2, 6);
        for (int i = 0; i < count; ++i)
            headword += syllables.at(random.bounded(int(syllables.size())));
        if (random.bounded(4) == 0)
            headword.insert(random.bounded(1, int(headword.size())), accented.at(random.bounded(4)));
        headwords.append(headword);
    }
    headwords.sort();
    headwords.insert(kRecords - 5, u"süßwassersee"_s);
    QByteArray bytes;
    bytes.reserve(3 * 1024 * 1024);
    for (const QString &headword : std::as_const(headwords)) {
        bytes += '"' + headword.toUtf8() + "\",\"";
        // Mostly a few words, some a long list of senses.
        const int count = random.bounded(100) < 88 ? random.bounded(1, 7) : random.bounded(7, 40);
        for (int w = 0; w < count; ++w)
            bytes += (w > 0 ? (w % 3 == 0 ? ", " : " ") : "") + words.at(random.bounded(int(words.size())));
        bytes += "\"\n";
    }
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace lexorra::bench
