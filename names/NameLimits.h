// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>
#include <stdexcept>

namespace corvane {

// Positions and lengths in the name pipeline are signed 16-bit values.
inline constexpr qsizetype kMaxNameLength = 32767;

// Thrown where a name or a rule text would pass kMaxNameLength, instead of wrapping.
class NameOverflow : public std::overflow_error {
public:
    NameOverflow() : std::overflow_error("name longer than 32767 characters") {}
};

inline void EnsureFits(QStringView text) {
    if (text.size() > kMaxNameLength)
        throw NameOverflow();
}

} // namespace corvane
