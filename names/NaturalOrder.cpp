// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/NaturalOrder.h"

#include <algorithm>

namespace corvane {
namespace {

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

qsizetype DigitRunEnd(QStringView text, qsizetype p) {
    while (p < text.size() && IsDigit(text.at(p)))
        ++p;
    return p;
}

QStringView WithoutLeadingZeros(QStringView digits) {
    qsizetype zeros = 0;
    while (zeros + 1 < digits.size() && digits.at(zeros) == u'0')
        ++zeros;
    return digits.sliced(zeros);
}

// Negative, zero or positive as the digit runs compare by value.
int CompareNumbers(QStringView a, QStringView b) {
    a = WithoutLeadingZeros(a);
    b = WithoutLeadingZeros(b);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

// Case folded, at once for the letters of ASCII.
char16_t Folded(QChar c) {
    const char16_t unit = c.unicode();
    if (unit < 0x80)
        return unit >= u'A' && unit <= u'Z' ? char16_t(unit + (u'a' - u'A')) : unit;
    return c.toCaseFolded().unicode();
}

// How far two names run alike, to the start of the number they may end in: names of one folder
// share long beginnings, which are passed over at once.
qsizetype SameBeginning(QStringView a, QStringView b) {
    const qsizetype shorter = std::min(a.size(), b.size());
    qsizetype same = std::mismatch(a.begin(), a.begin() + shorter, b.begin()).first - a.begin();
    while (same > 0 && IsDigit(a.at(same - 1)))
        --same;
    return same;
}

} // namespace

bool NaturalLess(QStringView a, QStringView b) {
    qsizetype i = SameBeginning(a, b);
    qsizetype j = i;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a.at(i)) && IsDigit(b.at(j))) {
            const qsizetype endA = DigitRunEnd(a, i);
            const qsizetype endB = DigitRunEnd(b, j);
            if (const int order = CompareNumbers(a.sliced(i, endA - i), b.sliced(j, endB - j)))
                return order < 0;
            i = endA;
            j = endB;
            continue;
        }
        const char16_t foldedA = Folded(a.at(i));
        const char16_t foldedB = Folded(b.at(j));
        if (foldedA != foldedB)
            return foldedA < foldedB;
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j)
        return a.size() - i < b.size() - j;
    return a.compare(b) < 0;
}

} // namespace corvane
