#include "desktop_entry.h"

#include "file_writes.h"
#include "import_error.h"

#include <QCryptographicHash>
#include <QDir>

namespace lexorra::import {

using namespace Qt::StringLiterals;

namespace {

// A value of a desktop entry: backslash and the characters a line cannot hold
// are written as escapes.
QString escapedValue(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'\n' || u == u'\t' || u == u'\r') {
            out += u'\\';
            out += u == u'\\' ? u'\\' : u == u'\n' ? u'n' : u == u'\t' ? u't' : u'r';
        } else {
            // Other control characters are not allowed in a value at all.
            out += (u < 0x20 || u == 0x7F) ? QChar(u' ') : c;
        }
    }
    // A leading space would be taken for padding around '='.
    if (out.startsWith(u' '))
        out.replace(0, 1, u"\\s"_s);
    return out;
}

// @p name as part of a desktop file id, one to one: ASCII letters and digits
// stand for themselves (a digit not first), every other byte of its UTF-8 is
// "_" and two hex digits. A long name keeps its first part and a digest of the
// whole after "__", which no escaped name holds.
QString idPart(const QString &name)
{
    constexpr qsizetype kLongest = 120;
    QString out;
    for (const char c : name.toUtf8()) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        if (letter || (digit && !out.isEmpty()))
            out += QLatin1Char(c);
        else
            out += u'_' + QString::number(static_cast<unsigned char>(c), 16).toUpper().rightJustified(2, u'0');
    }
    if (out.size() <= kLongest)
        return out;
    qsizetype keep = kLongest - 34;
    // Not inside an escape.
    while (out.at(keep - 1) == u'_' || out.at(keep - 2) == u'_')
        --keep;
    const QByteArray digest = QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    return out.left(keep) + u"__"_s + QString::fromLatin1(digest);
}

} // namespace

DesktopEntry desktopEntry(const QString &name, const QString &folder)
{
    DesktopEntry entry;
    entry.fileName = u"org.lexorra.Lexorra."_s + idPart(name) + u".desktop"_s;
    const QString text = u"[Desktop Entry]\n"
                         u"Type=Application\n"
                         u"Version=1.4\n"
                         u"Name=Lexorra — "_s +
                         escapedValue(name) + u"\nComment="_s + escapedValue(u"Look up words in "_s + name) +
                         u"\n"
                         u"Exec=lexorra\n"
                         u"Path="_s +
                         escapedValue(folder) +
                         u"\n"
                         u"Icon=org.lexorra.Lexorra\n"
                         u"Terminal=false\n"
                         u"Categories=Office;Dictionary;\n"_s;
    entry.text = text.toUtf8();
    return entry;
}

QString applicationsFolder()
{
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    const QString base = !xdg.isEmpty() && QDir::isAbsolutePath(xdg) ? xdg : QDir::homePath() + u"/.local/share"_s;
    return base + u"/applications"_s;
}

QString makeApplicationsFolder()
{
    const QString folder = applicationsFolder();
    makeFolders(folder);
    return folder;
}

} // namespace lexorra::import
