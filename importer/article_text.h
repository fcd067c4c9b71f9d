#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace lexorra::import {

/// What one article gives its headword's record.
struct ArticleText
{
    /// The translations, in the article's order.
    QStringList senses;
    /// Lines that point to other headwords ("see: …", "Synonym: …"). They are
    /// used only for a headword that has no translation at all.
    QStringList references;
    /// The first line when it was taken for the headword line, without its
    /// pronunciation and tags: the headword as the article spells it.
    QString headwordLine;
};

/// @p text with every run of white space, line breaks and control characters
/// made one space, and no space at either end.
[[nodiscard]] QString collapsedSpaces(QStringView text);

/// The translations of a plain-text article: the first line is dropped when
/// it repeats the headword (it carries a pronunciation in slashes, or is the
/// headword itself once tags are gone); sense numbers, pronunciations and
/// part-of-speech tags in angle brackets are removed; notes and quoted usage
/// examples are left out; reference lines are set apart.
[[nodiscard]] ArticleText plainArticle(QStringView article, QStringView headword);

/// The text of an HTML or XDXF article: tags removed, line breaks where
/// blocks end, entities decoded. XDXF's headword and transcription elements
/// are left out.
[[nodiscard]] QString markupText(QStringView markup, bool xdxf);

} // namespace lexorra::import
