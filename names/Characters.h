// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

namespace corvane {

// One character is one code point: a surrogate pair is one character and is never split, so
// every rule raises, lowers, counts and removes a letter beyond U+FFFF as it does any other.
// Where the character starting at `p` ends; `p` itself at or past the end.
inline qsizetype CharacterEnd(QStringView text, qsizetype p) {
    if (p >= text.size())
        return text.size();
    const bool pair =
        text.at(p).isHighSurrogate() && p + 1 < text.size() && text.at(p + 1).isLowSurrogate();
    return p + (pair ? 2 : 1);
}

} // namespace corvane
