#include "import_run.h"

#include "desktop_entry.h"
#include "entry_collector.h"
#include "file_writes.h"
#include "import_error.h"
#include "output_folder.h"
#include "progress.h"
#include "source_formats.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>

#include <new>
#include <optional>

namespace lexorra::import {

using namespace Qt::StringLiterals;

namespace {

QString number(qint64 n)
{
    return QLocale(QLocale::English).toString(n);
}

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

QString summaryText(const SourceSummary &source, const WriteResult &written, const QString &target, qint64 ms,
                    const QString &menuEntryPath)
{
    QString name = source.name.isEmpty() ? QString() : source.name + u' ';
    QStringList lines;
    lines << u"Imported %1(%2) into %3"_s.arg(name, source.format, target);
    QString read = number(source.entries);
    if (source.metadata > 0)
        read += u" (and %1 metadata entries, not words)"_s.arg(number(source.metadata));
    lines << u"  Entries read:          "_s + read;
    if (source.spellings > 0)
        lines << u"  Added under the spelling of their article: "_s + number(source.spellings);
    lines << u"  Headwords written:     "_s + number(written.headwords);
    lines << u"  Letter files written:  "_s + number(written.files);
    lines << u"  Duplicates merged:     "_s + number(written.duplicatesMerged);
    lines << u"  Translations cut:      "_s + number(written.cut) +
                 (written.cut > 0
                      ? u" (to at most %1 characters, ending in …)"_s.arg(number(dictionary::kMaxFieldLength))
                      : QString());
    const SkipCounts &s = written.skipped;
    QString skipped = number(s.total());
    if (s.total() > 0)
        skipped += u" (empty headword: %1, letter-file name impossible: %2, no translation: %3, "
                   u"headword too long: %4)"_s.arg(number(s.emptyHeadword), number(s.unusableFile),
                                                   number(s.noTranslation), number(s.longHeadword));
    lines << u"  Entries skipped:       "_s + skipped;
    if (written.oversized.isEmpty()) {
        lines << u"  Files listed in part:  none"_s;
    } else {
        lines << u"  Files listed in part (lookups find every headword):"_s;
        for (const OversizedFile &file : written.oversized)
            lines << u"    %1: %2 records, the list shows the first %3"_s.arg(file.name, number(file.records),
                                                                              number(file.listed));
    }
    lines << u"  Time:                  %1 s"_s.arg(double(ms) / 1000.0, 0, 'f', 2);
    if (!menuEntryPath.isEmpty())
        lines << u"  Menu entry:            "_s + menuEntryPath;
    return lines.join(u'\n') + u'\n';
}

} // namespace

int runImport(const ImportOptions &options, std::FILE *out, std::FILE *err)
{
    QElapsedTimer clock;
    clock.start();
    QString summary;
    try {
        OutputFolder folder(options.output, options.force, options.source);
        for (const QString &leftover : folder.removedLeftovers())
            print(err, u"lexorra-import: removed "_s + leftover + u", left behind by an import that was killed\n"_s);
        EntryCollector collector;
        Progress progress(options.progressLine && !options.quiet);
        const SourceSummary source = readSource(options.source, collector, progress);
        const WriteResult written = collector.write(folder.workPath(), progress);
        progress.clear();
        if (written.headwords == 0)
            throw ImportError(options.source +
                              u": nothing to import: no entry has both a headword and a translation"_s);

        // The menu entry is written before the folder moves into place, so
        // that a full disk leaves neither; put in place, it replaces an entry
        // of the same name.
        std::optional<StagedFile> entryFile;
        if (options.menuEntry) {
            QString name = *options.menuEntry;
            if (name.trimmed().isEmpty())
                name = source.name.isEmpty() ? QFileInfo(folder.targetPath()).fileName() : source.name;
            const DesktopEntry entry = desktopEntry(name, folder.targetPath());
            entryFile.emplace(makeApplicationsFolder() + u'/' + entry.fileName, entry.text);
        }
        throwIfInterrupted();
        folder.commit();

        if (entryFile) {
            try {
                entryFile->commit();
            } catch (const ImportError &error) {
                print(err, u"lexorra-import: "_s + error.message() + u" (the dictionary itself was written to "_s +
                               folder.targetPath() + u")\n"_s);
                return ExitFailure;
            }
        }
        summary = summaryText(source, written, folder.targetPath(), clock.elapsed(),
                              entryFile ? entryFile->path() : QString());
    } catch (const ImportError &error) {
        print(err, u"lexorra-import: "_s + error.message() + u'\n');
        return ExitFailure;
    } catch (const Interrupted &interrupted) {
        print(err, u"lexorra-import: interrupted; nothing was written\n"_s);
        return ExitSignalBase + interrupted.signalNumber;
    } catch (const std::bad_alloc &) {
        print(err, u"lexorra-import: "_s + options.source + u": out of memory; nothing was written\n"_s);
        return ExitFailure;
    }
    if (!options.quiet)
        print(out, summary);
    return ExitSuccess;
}

} // namespace lexorra::import
