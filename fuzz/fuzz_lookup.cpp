// Any bytes as the letter file a.txt, looked up through the whole core with
// in-memory lists: a word the file probably holds, then one it lacks. After
// each lookup no file is left open, the two lists have the same length, the
// selection is inside them, and the busy signal is off and never was on
// behind a box.
#include "fake_lookup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

using namespace lexorra::dictionary;
using namespace lexorra::testing;
using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Letter files are only looked for in the working directory.
    static QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path()))
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    {
        QFile file(u"a.txt"_s);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            std::abort();
    }
    // The input's first field, as a word of a.txt.
    const qsizetype end = bytes.indexOf(',');
    QString word = QString::fromLatin1(bytes.first(end < 0 ? std::min<qsizetype>(bytes.size(), 12) : end)).trimmed();
    if (!word.startsWith(u'a'))
        word.prepend(u'a');

    WiredLookup lookup;
    for (const QString &reply : {word, word + u"\x01zz"_s}) {
        lookup.lookUp(reply);
        const qint16 count = lookup.list1.count();
        const qint16 selected = lookup.list1.selectedIndex();
        if (lookup.translator.fileSlots().openCount() != 0 || lookup.list2.count() != count || count > kMaxEntries ||
            selected >= count || (count > 0 && selected < 0) || lookup.dialogs.busyDepth != 0 ||
            lookup.dialogs.busyInDialog)
            std::abort();
    }
    return 0;
}
