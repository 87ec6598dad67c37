// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace corvane {

// Letter case is mapped one character for one character, so a name never changes length
// (no "ß" to "SS"); characters without case stay as they are.
enum class LetterCase { Upper, Lower };

// Whose rules of letter case apply: most languages share Unicode's; Turkish and Azeri pair
// dotted "i" with "İ" and dotless "ı" with "I".
enum class CaseLanguage { Common, Turkic };

// The case language of the user's locale, as the session sets it: LC_ALL, else LC_CTYPE, else
// LANG.
CaseLanguage SessionCaseLanguage();

// Maps the characters in [from, to) of `text` in place; a range end that splits a surrogate
// pair leaves that pair as it is. A capital sigma that ends a word lowers to the final "ς".
void MapCase(QString& text, qsizetype from, qsizetype to, LetterCase letterCase,
             CaseLanguage language);

} // namespace corvane
