#include "translator.h"

#include "letter_file.h"
#include "runtime_error.h"
#include "text_rules.h"

#include <algorithm>
#include <new>
#include <optional>

namespace lexorra::dictionary {

namespace {

// Length of the prefix that decides the nearest headword.
constexpr int kPrefixLength = 3;

// Makes room in @p kept for a listing that holds about @p chars characters.
// A character of most letter files is kept in one byte, and a record takes
// at least two characters (its two delimiters), so a small file gets room
// for no more records than it can hold.
void reserveFor(EntryPairs &kept, qsizetype chars)
{
    kept.reserve(std::min<qsizetype>(kMaxEntries, chars / 2 + 1), std::min(chars, kMaxListedText));
}

// Tells the dialogs that the lookup is working, for as long as it lives.
class BusyScope final
{
public:
    explicit BusyScope(UserDialogs &dialogs) : m_dialogs(dialogs) { m_dialogs.setBusy(true); }
    ~BusyScope() { m_dialogs.setBusy(false); }
    Q_DISABLE_COPY_MOVE(BusyScope)

private:
    UserDialogs &m_dialogs;
};

} // namespace

Translator::Translator(EntryList &list1, EntryList &list2, Caption &label2, UserDialogs &dialogs)
    : List1(list1), List2(list2), Label2(label2), m_dialogs(dialogs)
{}

void Translator::Begin_Translation()
{
    try {
        const QString reply = m_dialogs.prompt(kPromptMessage.toString(), kPromptTitle.toString());
        // Only a truly empty reply (or a cancel) leaves everything as it was;
        // a reply of spaces goes on and names the file ".txt ".
        if (reply.isEmpty())
            return;

        // Busy while working on the file, but never while a box is open.
        std::optional<BusyScope> busy(std::in_place, m_dialogs);
        List1.clear();
        List2.clear();
        Label2.setText(QString());

        File_Number = m_files.freeFile();
        Search_Word = normalisedWord(reply);
        Letter_File = letterFileName(Search_Word);
        m_files.open(File_Number, Letter_File);
        const Found found = searchFile();
        // The file stays open behind the box: the listing goes on from there.
        busy.reset();
        announce(found);
        busy.emplace(m_dialogs);
        Read_File();
    } catch (const RuntimeError &error) {
        switch (error.code()) {
        case ErrorCode::InputPastEndOfFile: {
            // The word is not in its letter file: list the file instead.
            const BusyScope busy(m_dialogs);
            Read_File();
            break;
        }
        case ErrorCode::FileNotFound:
            m_dialogs.messageBox(kMissingFileMessage.toString(), kMissingFileTitle.toString(), MessageIcon::Critical);
            break;
        default:
            // Any other failure ends the lookup quietly, but never with the
            // letter file left open: a run of failures must not use up the slots.
            m_files.close(File_Number);
            break;
        }
    } catch (...) {
        // Anything else from below, a failed allocation above all, ends the
        // lookup like a file error.
        m_files.close(File_Number);
    }
}

Translator::Found Translator::searchFile()
{
    m_kept.clear();
    m_preparedFile.clear();
    m_prefix = firstChars(Search_Word, kPrefixLength);
    m_firstMatch = -1;
    m_listingFull = false;
    // Room for the whole listing at once: grown piece by piece instead, the
    // buffer would be moved and its memory provided afresh several times.
    // The room is only a guess from the file's first lines, so failing to get
    // it is no reason to fail the lookup: the listing then grows as it goes.
    try {
        reserveFor(m_kept, m_files.textSizeHint(File_Number, kMaxEntries));
    } catch (const std::bad_alloc &) {
    }

    // The test comes before each read and the headword starts out empty, so
    // an empty search word matches without reading anything. Records are
    // compared as views into the reader's buffer; only those the listing
    // keeps are copied. A word the file lacks ends this loop by
    // InputPastEndOfFile, not by its test.
    QStringView headword;
    QStringView translation;
    while (headword != Search_Word) {
        m_files.input(File_Number, headword, translation);
        keep(headword, translation);
    }
    return {displayText(headword), displayText(translation)};
}

void Translator::announce(const Found &found)
{
    m_dialogs.messageBox(properCase(found.translation), properCase(found.headword), MessageIcon::Information);
}

void Translator::Read_File() noexcept
{
    // The search kept the records read so far; the rest of the file follows.
    try {
        QStringView headword;
        QStringView translation;
        while (!m_listingFull && !m_files.eof(File_Number)) {
            m_files.input(File_Number, headword, translation);
            keep(headword, translation);
        }
    } catch (...) {
        // A record cut short, a read error or a failed allocation ends the
        // listing; what was gathered before it is listed.
    }
    m_files.close(File_Number);
    if (m_kept.isEmpty())
        return;

    try {
        List1.appendAll(m_kept.firsts());
        List2.appendAll(m_kept.seconds());
        // Appended one at a time, the records would move the selection at
        // most twice: to the first headword, then to the first one sharing
        // the search word's prefix when that comes later. The owner of List1
        // sees the same selection changes here, in the same order.
        const qint16 nearest = std::max<qint16>(m_firstMatch, 0);
        for (const qint16 index : {qint16(0), nearest}) {
            if (List1.selectedIndex() != index)
                List1.select(index);
        }
    } catch (...) {
        // Whatever was listed so far stays listed.
    }
}

bool Translator::prepare(const QString &typed)
{
    try {
        const QString name = letterFileName(normalisedWord(typed));
        if (typed.isEmpty() || name == m_preparedFile)
            return false;
        m_preparedFile = name;
        LetterFile file;
        file.open(name);
        reserveFor(m_kept, file.textSizeHint(kMaxEntries));
        return m_kept.prepareMore(0);
    } catch (...) {
        // A file that cannot be read now is dealt with by the lookup itself.
        return false;
    }
}

bool Translator::prepareMore()
{
    // A slice small enough not to hold up the next event.
    constexpr qsizetype kSliceBytes = 512 * 1024;
    return m_kept.prepareMore(kSliceBytes);
}

void Translator::Recognize()
{
    const qint16 index = List1.selectedIndex();
    if (index < 0 || index >= List2.count())
        return;
    List2.select(index);
    Label2.setText(properCase(displayText(List2.text(List2.selectedIndex()))));
}

void Translator::keep(QStringView headword, QStringView translation)
{
    // The listing stops at the first record the lists cannot take.
    if (m_listingFull)
        return;
    if (m_kept.size() >= kMaxEntries || m_kept.textSize() + headword.size() + translation.size() > kMaxListedText) {
        m_listingFull = true;
        return;
    }
    m_kept.append(headword, translation);
    // A headword that does not start with the prefix cannot match; that is
    // quick to tell, and tells it for almost every headword.
    const auto startsWithPrefix = [this](QStringView text) {
        return text.size() >= m_prefix.size() && std::equal(m_prefix.cbegin(), m_prefix.cend(), text.cbegin());
    };
    if (m_firstMatch < 0 && startsWithPrefix(headword) && leadingChars(headword, kPrefixLength) == m_prefix)
        m_firstMatch = static_cast<qint16>(m_kept.size() - 1);
}

} // namespace lexorra::dictionary
