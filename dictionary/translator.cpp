#include "translator.h"

#include "runtime_error.h"
#include "text_rules.h"

namespace lexorra::dictionary {

namespace {

// Length of the prefix that decides the nearest headword.
constexpr int kPrefixLength = 3;

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

        List1.clear();
        List2.clear();
        Label2.setText(QString());

        File_Number = m_files.freeFile();
        Search_Word = normalisedWord(reply);
        Letter_File = letterFileName(Search_Word);
        m_files.open(File_Number, Letter_File);

        // The test comes before each read and the headword starts out empty, so
        // an empty search word matches without reading anything.
        QString headword;
        QString translation;
        // A word the file lacks ends this loop by InputPastEndOfFile, not by its test.
        while (headword != Search_Word)
            m_files.input(File_Number, headword, translation);
        m_files.close(File_Number);

        m_dialogs.messageBox(properCase(translation), properCase(headword), MessageIcon::Information);
        Read_File();
    } catch (const RuntimeError &error) {
        switch (error.code()) {
        case ErrorCode::InputPastEndOfFile:
            // The word is not in its letter file: list the file instead.
            m_files.close(File_Number);
            Read_File();
            break;
        case ErrorCode::FileNotFound:
            m_dialogs.messageBox(kMissingFileMessage.toString(), kMissingFileTitle.toString(), MessageIcon::Critical);
            break;
        default:
            // Any other failure ends the lookup quietly, but never with the
            // letter file left open: a run of failures must not use up the slots.
            m_files.close(File_Number);
            break;
        }
    }
}

void Translator::Read_File()
{
    const QString prefix = firstChars(Search_Word, kPrefixLength);

    // The selection after each appended record is the first headword of the
    // whole list that shares the prefix, else the first headword. Remembering
    // that first match while appending gives the same selections as scanning
    // the list from the top after every record, in linear time.
    qint16 firstMatch = -1;
    for (qint16 i = 0, n = List1.count(); i < n && firstMatch < 0; ++i) {
        if (firstChars(List1.text(i), kPrefixLength) == prefix)
            firstMatch = i;
    }

    try {
        m_files.open(File_Number, Letter_File);
        QString headword;
        QString translation;
        while (!m_files.eof(File_Number)) {
            m_files.input(File_Number, headword, translation);
            if (List1.count() >= EntryList::kMaxEntries)
                throw RuntimeError(ErrorCode::OutOfMemory);
            List1.append(headword);
            List2.append(translation);

            const qint16 last = static_cast<qint16>(List1.count() - 1);
            if (firstMatch < 0 && firstChars(headword, kPrefixLength) == prefix)
                firstMatch = last;
            const qint16 nearest = firstMatch >= 0 ? firstMatch : 0;
            if (List1.selectedIndex() != nearest)
                List1.select(nearest);
        }
    } catch (const RuntimeError &) {
        // Whatever was listed so far stays listed.
    }
    m_files.close(File_Number);
}

void Translator::Recognize()
{
    const qint16 index = List1.selectedIndex();
    if (index < 0 || index >= List2.count())
        return;
    List2.select(index);
    Label2.setText(properCase(List2.text(List2.selectedIndex())));
}

} // namespace lexorra::dictionary
