#pragma once

#include "entry_texts.h"
#include "file_slots.h"
#include "lookup_interfaces.h"

#include <QString>
#include <QStringView>

namespace lexorra::dictionary {

/// The lookup of one word in its letter file, the listing of that letter file
/// and the display of the selected headword's translation, with the state they
/// share between them.
///
/// The translator does not watch the headword list itself: the owner of
/// List1 routes every selection change of it to Recognize(), whether the user
/// or the listing made it.
class Translator final
{
public:
    /// The prompt and the boxes of a lookup.
    static constexpr QStringView kPromptMessage = u" Enter any valid word ... ";
    static constexpr QStringView kPromptTitle = u" Lexorra.";
    static constexpr QStringView kMissingFileMessage = u"Enter an alphabet please :o)";
    static constexpr QStringView kMissingFileTitle = u"Warning !";

    Translator(EntryList &list1, EntryList &list2, Caption &label2, UserDialogs &dialogs);
    Q_DISABLE_COPY_MOVE(Translator)

    /// Asks for a word, shows its translation when its letter file has it, and
    /// lists the whole letter file with the nearest headword selected. Warns
    /// when the letter file does not exist. Never throws.
    ///
    /// The file is read once: the records the listing will show are kept while
    /// the word is searched for, and after its box the listing goes on reading
    /// from where the search stopped.
    void Begin_Translation();

    /// Gets ready, while the user is still typing @p typed, for the listing of
    /// the letter file it names: makes room for about as much text as that
    /// listing will hold. True when prepareMore() has room to make ready.
    /// Opens nothing that it leaves open; never throws.
    bool prepare(const QString &typed);

    /// Makes a slice of the room that prepare() made ready for use, so that
    /// the lookup will not wait for the system to provide fresh memory. True
    /// while more is left; meant to be called while the program is idle.
    bool prepareMore();

    /// Selects in List2 the entry selected in List1 and shows its text, in
    /// proper case, in Label2. Does nothing while List1 has no selection.
    void Recognize();

    /// The normalised word of the latest lookup.
    [[nodiscard]] const QString &searchWord() const { return Search_Word; }
    /// The letter file's name of the latest lookup.
    [[nodiscard]] const QString &letterFile() const { return Letter_File; }
    /// The file slot of the latest lookup.
    [[nodiscard]] qint16 fileNumber() const { return File_Number; }
    /// The file slots, for looking at what is left open.
    [[nodiscard]] const FileSlots &fileSlots() const { return m_files; }

private:
    // The found record, as a box shows it.
    struct Found
    {
        QString headword;
        QString translation;
    };

    // The three steps of a lookup, on the letter file open under File_Number.
    [[nodiscard]] Found searchFile();
    void announce(const Found &found);
    void Read_File() noexcept;

    void keep(QStringView headword, QStringView translation);

    EntryList &List1;
    EntryList &List2;
    Caption &Label2;
    UserDialogs &m_dialogs;
    FileSlots m_files;

    QString Search_Word;
    QString Letter_File;
    qint16 File_Number = 0;

    // The listing being gathered: records read but not yet in the lists, and
    // the first headword sharing the prefix. The lists share the texts once
    // they have them; the next listing reuses their memory once the lists
    // have let go of them.
    EntryPairs m_kept;
    QString m_prefix;
    qint16 m_firstMatch = -1;
    bool m_listingFull = false;

    // The letter file the latest prepare() got ready for.
    QString m_preparedFile;
};

} // namespace lexorra::dictionary
