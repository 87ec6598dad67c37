// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace corvane {

// Letter case is mapped one character for one character, so a name never changes length
// (no "ß" to "SS"); characters without case stay as they are.
enum class LetterCase { Upper, Lower };

// Maps the characters in [from, to) of `text` in place; a range end that splits a surrogate
// pair leaves that pair as it is.
void MapCase(QString& text, qsizetype from, qsizetype to, LetterCase letterCase);

} // namespace corvane
