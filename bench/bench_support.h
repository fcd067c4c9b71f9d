#pragma once

// What the benchmarks share: a large letter file in a scratch working
// directory, and the median of repeated timings.

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
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

/// Records of a big bilingual dictionary's letter file: as many as one of
/// 63,109 records and 8.8 MB, with translations from a few words to a few
/// hundred characters.
inline constexpr int kDictionaryRecords = 63109;

/// Writes @p name in the working directory with kDictionaryRecords records
/// whose headwords are "s" plus a running number in base 36 and whose
/// translations vary in length as a real dictionary's do. False on failure.
inline bool writeDictionaryFile(const QString &name)
{
    QRandomGenerator random(63109);
    static const QByteArray words[] = {"the ",        "house ",   "of ",     "small ",  "to ",
                                       "run ",        "quickly ", "(fig.) ", "über ",   "sense; ",
                                       "colloquial ", "a ",       "kind ",   "Straße ", "ring "};
    QByteArray bytes;
    bytes.reserve(9 * 1024 * 1024);
    for (int i = 0; i < kDictionaryRecords; ++i) {
        bytes += "s" + QByteArray::number(i, 36) + ",\"";
        // Mostly short entries, some of a few hundred characters.
        const int count = random.bounded(100) < 85 ? random.bounded(2, 32) : random.bounded(32, 88);
        for (int w = 0; w < count; ++w)
            bytes += words[random.bounded(int(std::size(words)))];
        bytes += "\"\n";
    }
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace lexorra::bench
