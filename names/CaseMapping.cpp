// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/CaseMapping.h"

#include <QChar>

namespace corvane {
namespace {

char32_t Mapped(char32_t c, LetterCase letterCase) {
    return letterCase == LetterCase::Upper ? QChar::toUpper(c) : QChar::toLower(c);
}

} // namespace

void MapCase(QString& text, qsizetype from, qsizetype to, LetterCase letterCase) {
    QChar* units = text.data();
    for (qsizetype i = from; i < to; ++i) {
        const QChar unit = units[i];
        if (!unit.isSurrogate()) {
            const char32_t mapped = Mapped(unit.unicode(), letterCase);
            if (!QChar::requiresSurrogates(mapped))
                units[i] = QChar(static_cast<char16_t>(mapped));
        } else if (unit.isHighSurrogate() && i + 1 < to && units[i + 1].isLowSurrogate()) {
            const char32_t mapped = Mapped(QChar::surrogateToUcs4(unit, units[i + 1]), letterCase);
            if (QChar::requiresSurrogates(mapped)) {
                units[i] = QChar(QChar::highSurrogate(mapped));
                units[i + 1] = QChar(QChar::lowSurrogate(mapped));
            }
            ++i;
        }
    }
}

} // namespace corvane
