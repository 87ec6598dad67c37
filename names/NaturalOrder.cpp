// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/NaturalOrder.h"

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

} // namespace

bool NaturalLess(QStringView a, QStringView b) {
    qsizetype i = 0;
    qsizetype j = 0;
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
        const QChar foldedA = a.at(i).toCaseFolded();
        const QChar foldedB = b.at(j).toCaseFolded();
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
