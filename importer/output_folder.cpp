#include "output_folder.h"

#include "file_writes.h"
#include "import_error.h"
#include "lexorra_version.h"
#include "text_rules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexorra::import {

using namespace Qt::StringLiterals;

namespace {

constexpr QLatin1StringView kWorkMark(".importing-");
constexpr QByteArrayView kStampStart("lexorra-import ");

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

// The entries of @p folder, sorted, as their names' bytes.
QList<QByteArray> listFolder(const QString &folder)
{
    DIR *dir = ::opendir(encoded(folder).constData());
    if (!dir)
        throw ImportError(folder + u": cannot list the folder: "_s + systemReason(errno));
    QList<QByteArray> names;
    errno = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArrayView name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name.toByteArray());
        errno = 0;
    }
    const int error = errno;
    ::closedir(dir);
    if (error != 0)
        throw ImportError(folder + u": cannot list the folder: "_s + systemReason(error));
    std::sort(names.begin(), names.end());
    return names;
}

bool isRegularFile(const QByteArray &path)
{
    struct stat info = {};
    return ::lstat(path.constData(), &info) == 0 && S_ISREG(info.st_mode);
}

// A name an import gives a letter file: one character, then ".txt".
bool isLetterFileName(const QString &name)
{
    if (!name.endsWith(u".txt"_s) || name.size() < 5)
        return false;
    const QStringView stem = QStringView(name).chopped(4);
    return dictionary::leadingChars(stem, 1).size() == stem.size();
}

// Imports made before folders were stamped are recognised by their records,
// all exactly as an import writes them: "headword","translation" on a line,
// headwords that name this file, in increasing order. A user's own notes do not
// look like that.
bool holdsOnlyImportedRecords(const QString &path, const QString &name)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 kLongestLine = 3 * 2 * dictionary::kMaxFieldLength + 8;
    QByteArray previous;
    bool any = false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine(kLongestLine);
        if (!line.endsWith('\n') || line.count('"') != 4 || !line.startsWith('"') || !line.endsWith("\"\n"))
            return false;
        const qsizetype close = line.indexOf('"', 1);
        const QByteArrayView headword = QByteArrayView(line).sliced(1, close - 1);
        if (headword.isEmpty() || line.sliced(close, 3) != "\",\"" || headword <= QByteArrayView(previous))
            return false;
        if (dictionary::letterFileName(QString::fromUtf8(headword)) != name)
            return false;
        previous = headword.toByteArray();
        any = true;
    }
    return any && file.error() == QFileDevice::NoError;
}

// The first entry of @p folder, in name order, that an import does not write,
// or an empty string when everything there is an import's.
QString firstForeignEntry(const QString &folder, const QList<QByteArray> &names)
{
    const QByteArray stamp = QFile::encodeName(stampFileName());
    bool stamped = false;
    if (names.contains(stamp) && isRegularFile(encoded(folder) + '/' + stamp)) {
        QFile file(folder + u'/' + stampFileName());
        stamped = file.open(QIODevice::ReadOnly) && file.read(kStampStart.size()) == kStampStart;
    }
    for (const QByteArray &bytes : names) {
        const QString name = QFile::decodeName(bytes);
        const QString path = folder + u'/' + name;
        if (bytes == stamp && stamped)
            continue;
        const bool letterFile =
            QFile::encodeName(name) == bytes && isLetterFileName(name) && isRegularFile(encoded(path));
        if (!letterFile || (!stamped && !holdsOnlyImportedRecords(path, name)))
            return name;
    }
    return {};
}

// A work folder's name: ".NAME.importing-" and mkdtemp()'s six characters.
bool isWorkFolderName(const QByteArray &name)
{
    if (!name.startsWith('.') || name.size() < 1 + kWorkMark.size() + 6)
        return false;
    const QByteArrayView mark = QByteArrayView(name).chopped(6).last(kWorkMark.size());
    if (mark != QByteArrayView(kWorkMark.data(), kWorkMark.size()))
        return false;
    return std::all_of(name.end() - 6, name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

// Whether the unlocked work folder @p folder holds nothing but what an import
// puts there, so that removing it loses nothing of the user's.
bool isLeftover(const QString &folder)
{
    try {
        QList<QByteArray> names = listFolder(folder);
        names.removeIf([&](const QByteArray &name) {
            return (name == ".a" || name == ".b") && ::rmdir((encoded(folder) + '/' + name).constData()) == 0;
        });
        return names.isEmpty() || firstForeignEntry(folder, names).isEmpty();
    } catch (const ImportError &) {
        return false;
    }
}

bool sameFile(int fd, const QByteArray &path)
{
    struct stat opened = {};
    struct stat named = {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.constData(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

} // namespace

QString stampFileName()
{
    return u".lexorra-import"_s;
}

OutputFolder::OutputFolder(const QString &target, bool replace, const QString &source)
    : m_target(QDir::cleanPath(QFileInfo(target).absoluteFilePath())), m_replace(replace)
{
    const Target state = checkTarget();
    const QString parent = QFileInfo(m_target).absolutePath();
    m_createdParents = makeFolders(parent);
    try {
        removeLeftovers(parent);
        makeWorkFolder(parent);
        stamp(source);
        if (state == Target::Replaceable)
            checkExchange();
    } catch (...) {
        if (!m_work.isEmpty())
            QDir(m_work).removeRecursively();
        if (m_lock >= 0)
            ::close(m_lock);
        for (const QString &dir : std::as_const(m_createdParents))
            QDir().rmdir(dir);
        throw;
    }
}

OutputFolder::~OutputFolder()
{
    if (!m_committed) {
        QDir(m_work).removeRecursively();
        for (const QString &dir : std::as_const(m_createdParents))
            QDir().rmdir(dir);
    }
    ::close(m_lock);
}

OutputFolder::Target OutputFolder::checkTarget() const
{
    struct stat info = {};
    if (::lstat(encoded(m_target).constData(), &info) != 0) {
        if (errno == ENOENT)
            return Target::Missing;
        throw ImportError(m_target + u": "_s + systemReason(errno));
    }
    if (!S_ISDIR(info.st_mode))
        throw ImportError(m_target + u": exists and is not a folder"_s);
    const QList<QByteArray> names = listFolder(m_target);
    if (names.isEmpty())
        return Target::Empty;
    if (!m_replace)
        throw ImportError(m_target + u": folder is not empty (--force replaces it)"_s);
    // Replacing deletes the old folder: only an import's is fair game, never a
    // home folder or a folder of notes given by mistake.
    const QString foreign = firstForeignEntry(m_target, names);
    if (!foreign.isEmpty())
        throw ImportError(m_target + u": holds "_s + foreign +
                          u", which no import wrote, so --force does not replace it"_s);
    return Target::Replaceable;
}

void OutputFolder::removeLeftovers(const QString &parent)
{
    // The lock of a live import is held; that of a killed one went with it.
    // A folder that only looks like a work folder is never removed: a killed
    // import's holds nothing but the stamp it got first and letter files (or,
    // killed after an exchange, the old import); it is empty when the kill
    // came before the stamp, and may hold the exchange check's two folders.
    for (const QByteArray &name : listFolder(parent)) {
        if (!isWorkFolderName(name))
            continue;
        const QByteArray path = encoded(parent) + '/' + name;
        const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && isLeftover(QFile::decodeName(path)) &&
            QDir(QFile::decodeName(path)).removeRecursively())
            m_removedLeftovers.append(QFile::decodeName(path));
        ::close(fd);
    }
}

void OutputFolder::makeWorkFolder(const QString &parent)
{
    const QString stem = parent + u"/."_s + QFileInfo(m_target).fileName() + kWorkMark;
    for (int attempt = 0;; ++attempt) {
        QByteArray path = encoded(stem + u"XXXXXX"_s);
        if (!::mkdtemp(path.data()))
            throw ImportError(m_target + u": cannot create a work folder beside it: "_s + systemReason(errno));
        const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        // Another import may take the new folder for a killed one's in the
        // moment before it is locked, and remove it: then it is made again.
        if (fd >= 0 && ::flock(fd, LOCK_EX) == 0 && sameFile(fd, path)) {
            m_lock = fd;
            m_work = QFile::decodeName(path);
            // mkdtemp() makes the folder private; the dictionary gets the usual mode.
            if (::fchmod(fd, 0777 & ~creationMask()) != 0)
                throw ImportError(m_work + u": cannot set the folder's mode: "_s + systemReason(errno));
            return;
        }
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        ::rmdir(path.constData());
        throwIfInterrupted();
        if (attempt == 10)
            throw ImportError(m_target + u": cannot create a work folder beside it: "_s + systemReason(error));
    }
}

void OutputFolder::checkExchange() const
{
    // Replacing needs the two folders exchanged in one step. Tried on two
    // empty folders of our own first, so that a file system that cannot do it
    // stops the import before any work.
    const QByteArray first = encoded(m_work + u"/.a"_s);
    const QByteArray second = encoded(m_work + u"/.b"_s);
    int error = 0;
    if (::mkdir(first.constData(), 0700) != 0 || ::mkdir(second.constData(), 0700) != 0 ||
        ::renameat2(AT_FDCWD, first.constData(), AT_FDCWD, second.constData(), RENAME_EXCHANGE) != 0)
        error = errno;
    ::rmdir(first.constData());
    ::rmdir(second.constData());
    if (error != 0)
        throw ImportError(m_target + u": this file system cannot exchange two folders in one step ("_s +
                          systemReason(error) + u"), so --force cannot replace the folder safely; remove it first"_s);
}

void OutputFolder::stamp(const QString &source)
{
    QByteArray name = QFile::encodeName(QFileInfo(source).absoluteFilePath());
    name.replace('\n', "\\n");
    writeNewFile(m_work + u'/' + stampFileName(),
                 kStampStart.toByteArray() + LEXORRA_VERSION "\nSource: " + name + '\n');
}

void OutputFolder::syncContents() const
{
    for (const QByteArray &name : listFolder(m_work)) {
        const int fd = ::open((encoded(m_work) + '/' + name).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        const bool synced = fd >= 0 && ::fsync(fd) == 0;
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        if (!synced)
            throw ImportError(m_work + u'/' + QFile::decodeName(name) + u": cannot write: "_s + systemReason(error));
    }
    if (::fsync(m_lock) != 0)
        throw ImportError(m_work + u": cannot write: "_s + systemReason(errno));
}

void OutputFolder::commit()
{
    // Checked again: the target may have changed while the import ran.
    const Target state = checkTarget();
    const QByteArray work = encoded(m_work);
    const QByteArray target = encoded(m_target);
    if (state != Target::Replaceable) {
        // rename() puts a folder in the place of nothing, or of an empty folder, in one step.
        if (std::rename(work.constData(), target.constData()) != 0)
            throw ImportError(m_target + u": cannot move the new folder there: "_s + systemReason(errno));
        m_committed = true;
        return;
    }
    // The exchange is the old folder's end: what replaces it must be on the
    // disk first, or a power cut right after could leave neither whole.
    syncContents();
    pauseAt("exchange");
    if (::renameat2(AT_FDCWD, work.constData(), AT_FDCWD, target.constData(), RENAME_EXCHANGE) != 0)
        throw ImportError(m_target + u": cannot exchange it with the new folder: "_s + systemReason(errno));
    m_committed = true;
    pauseAt("exchanged");
    // The old folder now has the work folder's name; should removing it fail,
    // the next import into this parent removes it.
    QDir(m_work).removeRecursively();
}

} // namespace lexorra::import
