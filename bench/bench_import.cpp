// Times lexorra-import as a user runs it, each import in its own process so
// that its peak resident memory is its own:
//  - Debian's freedict-deu-eng and freedict-eng-fra, when they are installed;
//  - a synthetic dictd dictionary of the same shape as freedict-deu-eng
//    (about 520,000 index lines and 45 MB of articles, compressed), always;
//  - a word list of 5 million lines (about 190 MB), always.
// Run the release build: build/release/bench/bench_import
#include "source_formats.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <zlib.h>

extern char **environ;

namespace {

using namespace Qt::StringLiterals;
using lexorra::import::encodeDictdNumber;

constexpr int kIndexLines = 520000;
constexpr qint64 kArticleBytes = 45'000'000;
constexpr int kListLines = 5'000'000;

QByteArray randomWord(QRandomGenerator &random, int letters)
{
    static const QByteArray kLetters = "abcdefghijklmnopqrstuvwxyzäöüß";
    QByteArray word;
    for (int i = 0; i < letters; ++i) {
        const int at = random.bounded(int(kLetters.size()));
        word += (kLetters.at(at) & 0x80) ? QByteArray("äöüß").mid(2 * random.bounded(4), 2) : kLetters.mid(at, 1);
    }
    return word;
}

// Articles like FreeDict's German-English ones: a headword line with
// pronunciation and tags, senses with domain labels, notes, examples and
// references; a third of the headwords have several articles, a few a leading space.
bool writeSynthetic(const QString &stem)
{
    QRandomGenerator random(2024);
    QByteArray index;
    index.reserve(kIndexLines * 24);
    gzFile data = gzopen(QFile::encodeName(stem + u".dict.dz"_s).constData(), "wb6");
    if (!data)
        return false;
    quint64 offset = 0;
    const qint64 perArticle = kArticleBytes / kIndexLines;
    QByteArray headword;
    for (int line = 0; line < kIndexLines; ++line) {
        if (line == 0 || random.bounded(3) != 0)
            headword = (random.bounded(40) == 0 ? " " : "") + randomWord(random, random.bounded(3, 14));
        QByteArray article = headword.trimmed() + " /ˈ" + randomWord(random, 5) + "/ <fem, n, sg>\n";
        if (random.bounded(2))
            article += " [" + randomWord(random, 4) + ".] ";
        while (article.size() < perArticle - 40) {
            article += randomWord(random, random.bounded(3, 10)) + " <n>, ";
            if (random.bounded(8) == 0)
                article += "\n         Note: " + randomWord(random, 8) + "\n";
            if (random.bounded(8) == 0)
                article += "\n      \"" + randomWord(random, 6) + "\"  - " + randomWord(random, 6) + "\n";
        }
        article += "\n   Synonym: {" + randomWord(random, 7) + "}\n\n see: {" + randomWord(random, 6) + "}\n";
        if (gzwrite(data, article.constData(), unsigned(article.size())) != int(article.size()))
            return false;
        index += headword + '\t' + encodeDictdNumber(offset) + '\t' + encodeDictdNumber(quint64(article.size())) + '\n';
        offset += quint64(article.size());
    }
    if (gzclose(data) != Z_OK)
        return false;
    QFile file(stem + u".index"_s);
    return file.open(QIODevice::WriteOnly) && file.write(index) == index.size();
}

// A tab-separated list of distinct headwords, each with three words of translation.
bool writeWordList(const QString &path)
{
    QRandomGenerator random(14);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray lines;
    for (int line = 0; line < kListLines; ++line) {
        lines += randomWord(random, random.bounded(6, 13)) + QByteArray::number(line % 1000) + '\t' +
                 randomWord(random, random.bounded(5, 11)) + ' ' + randomWord(random, random.bounded(5, 11)) + ' ' +
                 randomWord(random, random.bounded(3, 9)) + '\n';
        if (lines.size() > (1 << 20) || line + 1 == kListLines) {
            if (file.write(lines) != lines.size())
                return false;
            lines.clear();
        }
    }
    return true;
}

// Runs lexorra-import on @p source and prints its wall and processor time and
// peak resident memory.
bool measure(const char *label, const QString &source, const QString &output)
{
    const QByteArray program = QByteArrayLiteral(LEXORRA_IMPORT_PATH);
    const QByteArray src = QFile::encodeName(source);
    const QByteArray out = QFile::encodeName(output);
    char *argv[] = {const_cast<char *>(program.constData()), const_cast<char *>(src.constData()),
                    const_cast<char *>(out.constData()), const_cast<char *>("--quiet"), nullptr};
    QElapsedTimer clock;
    clock.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.constData(), nullptr, nullptr, argv, environ) != 0)
        return false;
    int status = 0;
    rusage usage = {};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s: import failed\n", label);
        return false;
    }
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::printf("%-34s %7.2f s wall  %7.2f s user+sys  %7.1f MB peak resident\n", label, wall, cpu,
                double(usage.ru_maxrss) / 1024.0);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    bool ok = true;
    for (const char *name : {"freedict-deu-eng", "freedict-eng-fra"}) {
        const QString index = u"/usr/share/dictd/"_s + QString::fromLatin1(name) + u".index"_s;
        if (QFileInfo::exists(index))
            ok = measure(name, index, dir.filePath(QString::fromLatin1(name))) && ok;
        else
            std::printf("%-34s not installed\n", name);
    }
    const QString stem = dir.filePath(u"synthetic"_s);
    if (!writeSynthetic(stem))
        return 1;
    std::printf("(synthetic: %d index lines, %.1f MB of articles compressed to %.1f MB)\n", kIndexLines,
                double(kArticleBytes) / 1e6, double(QFileInfo(stem + u".dict.dz"_s).size()) / 1e6);
    ok = measure("synthetic, shaped like deu-eng", stem + u".index"_s, dir.filePath(u"synthetic-out"_s)) && ok;
    const QString list = dir.filePath(u"list.tsv"_s);
    if (!writeWordList(list))
        return 1;
    std::printf("(word list: %d lines, %.1f MB)\n", kListLines, double(QFileInfo(list).size()) / 1e6);
    ok = measure("word list of 5 million lines", list, dir.filePath(u"list-out"_s)) && ok;
    return ok ? 0 : 1;
}
