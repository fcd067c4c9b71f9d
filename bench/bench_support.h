#pragma once

// What the benchmarks share: a large letter file in a scratch working
// directory, and the median of repeated timings.

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
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

/// Runs @p run once to warm up, then @p runs times, and returns the median
/// time in milliseconds.
inline double medianMs(int runs, const std::function<void()> &run)
{
    run();
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        samples.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

} // namespace lexorra::bench
