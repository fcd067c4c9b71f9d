#include "desktop_entry.h"

#include "import_error.h"

#include <QDir>
#include <QSaveFile>

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

QString safeIdPart(const QString &name)
{
    QString out;
    for (const QChar c : name) {
        const bool safe = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        if (safe)
            out += c;
        else if (!out.endsWith(u'_'))
            out += u'_';
    }
    while (out.startsWith(u'_'))
        out.remove(0, 1);
    while (out.endsWith(u'_'))
        out.chop(1);
    if (out.isEmpty() || out.at(0).isDigit())
        out.prepend(u"d"_s);
    return out.left(64);
}

} // namespace

DesktopEntry desktopEntry(const QString &name, const QString &folder)
{
    DesktopEntry entry;
    entry.fileName = u"org.lexorra.Lexorra."_s + safeIdPart(name) + u".desktop"_s;
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

QString installDesktopEntry(const DesktopEntry &entry)
{
    const QString folder = applicationsFolder();
    if (!QDir().mkpath(folder))
        throw ImportError(folder + u": cannot create the folder"_s);
    const QString path = folder + u'/' + entry.fileName;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entry.text) != entry.text.size() || !file.commit())
        throw ImportError(path + u": cannot write: "_s + file.errorString());
    return path;
}

} // namespace lexorra::import
