#pragma once

#include "program_limits.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace lexorra::import {

/// The most bytes of one article, or of one record of a word list, that are
/// read: the rest of a longer one is read past. A translation is cut to
/// kMaxFieldLength characters in the end, and no character takes more than
/// three bytes of UTF-8, so this holds that much with room for what is left out
/// (pronunciations, tags, notes).
inline constexpr qsizetype kMaxArticleBytes = 4 * dictionary::kMaxFieldLength;

/// What one article gives its headword's record.
struct ArticleText
{
    /// The translations, in the article's order.
    QStringList senses;
    /// Lines that point to other headwords ("see: …", "Synonym: …"), kept
    /// only when the article has no translation: they stand in only for a
    /// headword that has none at all.
    QStringList references;
    /// The first line when it was taken for the headword line, without its
    /// pronunciation and tags: the headword as the article spells it.
    QString headwordLine;
    /// The article was longer than what was read of it; its last piece ends
    /// with "…".
    bool cut = false;
};

/// The first bytes of a cut article, from @p bytes ending where its text
/// may be cut: after the last line break or space near the end, or at least
/// not inside a UTF-8 sequence.
[[nodiscard]] QByteArrayView cutArticleBytes(QByteArrayView bytes);

/// Marks @p text as cut: its last translation, or its last reference when it
/// has none, ends with "…".
void markCut(ArticleText &text);

/// @p text with every run of white space, line breaks and control characters
/// made one space, and no space at either end.
[[nodiscard]] QString collapsedSpaces(QStringView text);

/// collapsedSpaces() on the @p size characters at @p text, written over them.
/// Returns the new size.
qsizetype collapseSpacesInPlace(QChar *text, qsizetype size);

/// @p text as a lookup normalises the typed word, once its white space is made
/// single spaces: lower case, no spaces around it. Text in Latin-1 goes a
/// quicker way.
[[nodiscard]] QString lookupForm(QStringView text);
/// As lookupForm(), sharing @p text when it is in that form already.
[[nodiscard]] QString lookupForm(const QString &text);

/// lookupForm() the plain way, step by step, for any text.
[[nodiscard]] QString lookupFormPlain(QStringView text);

/// The headword as a letter file stores it, where a lookup of the typed word
/// finds it: its lookupForm(), with double quotes, which a record cannot hold,
/// made typographic (opening at the start of a word, else closing).
[[nodiscard]] QString storedHeadword(QStringView headword);
/// storedHeadword() of a headword given in its lookupForm().
[[nodiscard]] QString storedHeadwordOfForm(QString form);

/// The translations of a plain-text article: the first line is dropped when
/// it repeats the headword (it carries a pronunciation in slashes, or is the
/// headword itself once tags are gone); sense numbers, pronunciations and
/// part-of-speech tags in angle brackets are removed; notes and quoted usage
/// examples are left out; reference lines are set apart.
[[nodiscard]] ArticleText plainArticle(QStringView article, QStringView headword);

/// As plainArticle(), into @p out, whose lists keep their room from one
/// article to the next, for a headword given in its lookupForm().
void plainArticleOfForm(QStringView article, const QString &headwordForm, ArticleText &out);

/// The text of an HTML or XDXF article: tags removed, line breaks where
/// blocks end, entities decoded. XDXF's headword and transcription elements
/// are left out.
[[nodiscard]] QString markupText(QStringView markup, bool xdxf);

} // namespace lexorra::import
