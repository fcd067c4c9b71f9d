#include "font_fallbacks.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QString>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace lexorra {

namespace {

// A family counts as present only when it can be drawn at any size: a bitmap
// face with a few fixed sizes would be drawn at the nearest of those instead
// of the size asked for.
bool hasScalableFamily(const QString &family)
{
    return QFontDatabase::hasFamily(family) && QFontDatabase::isSmoothlyScalable(family);
}

// Loads the files of a family that fontconfig does not list.
void loadFamilyFiles(const QString &family, const QString &directory, const QStringList &files)
{
    if (hasScalableFamily(family))
        return;
    for (const QString &file : files) {
        if (QFile::exists(directory + file))
            QFontDatabase::addApplicationFont(directory + file);
    }
}

// Maps a requested family onto the first of its look-alikes that is present,
// unless the requested family is installed itself.
void substitute(const QString &requested, const QStringList &lookAlikes)
{
    if (hasScalableFamily(requested))
        return;
    QStringList present;
    for (const QString &family : lookAlikes) {
        if (hasScalableFamily(family))
            present.append(family);
    }
    if (!present.isEmpty())
        QFont::insertSubstitutions(requested, present);
}

} // namespace

void installFontFallbacks()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;

    // Tahoma and MS Sans Serif are plain, fairly narrow sans-serif faces. The
    // condensed DejaVu Sans has their proportions, Tahoma's bold included
    // (within a few per cent of its widths), and real bold and regular faces.
    // The free Tahoma of fonts-wine is not used: its bold face is drawn with
    // regular-weight strokes, and its MS Sans Serif holds bitmaps at 13, 16
    // and 20 pixels only, none of them the 18 pixels asked for.
    const QStringList sansLookAlikes = {u"DejaVu Sans Condensed"_s, u"DejaVu Sans"_s};
    substitute(u"Tahoma"_s, sansLookAlikes);
    substitute(u"MS Sans Serif"_s, sansLookAlikes);

    loadFamilyFiles(u"Comic Neue"_s, u"/usr/share/fonts/opentype/comic-neue/"_s,
                    {u"ComicNeue-Regular.otf"_s, u"ComicNeue-Bold.otf"_s});
    substitute(u"Comic Sans MS"_s, {u"Comic Neue"_s});
}

} // namespace lexorra
