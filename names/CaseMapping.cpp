// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/CaseMapping.h"

#include "names/Characters.h"

#include <QChar>
#include <QtGlobal>

namespace corvane {
namespace {

constexpr char16_t kCapitalSigma = 0x03A3;
constexpr char16_t kFinalSigma = 0x03C2;
constexpr char16_t kCapitalDottedI = 0x0130;
constexpr char16_t kDotlessI = 0x0131;

char32_t Mapped(char32_t c, LetterCase letterCase, CaseLanguage language) {
    const bool turkic = language == CaseLanguage::Turkic;
    // Most letters of most names are ASCII: mapped without Unicode's tables.
    const bool upper = letterCase == LetterCase::Upper;
    if (c < 0x80 && !(turkic && (c == u'i' || c == u'I'))) {
        const bool mapped = upper ? (c >= u'a' && c <= u'z') : (c >= u'A' && c <= u'Z');
        return mapped ? c ^ 0x20 : c;
    }
    if (upper)
        return turkic && c == u'i' ? kCapitalDottedI : QChar::toUpper(c);
    if (turkic && c == u'I')
        return kDotlessI;
    // Elsewhere "İ" lowers to two characters, "i" and a combining dot: it stays as it is.
    if (c == kCapitalDottedI)
        return turkic ? u'i' : c;
    return QChar::toLower(c);
}

// Whether the character starting at `p` is a letter; none is before the start or past the end.
bool LetterAt(QStringView text, qsizetype p) {
    if (p < 0 || p >= text.size())
        return false;
    return CharacterEnd(text, p) == p + 2
               ? QChar::isLetter(QChar::surrogateToUcs4(text.at(p), text.at(p + 1)))
               : text.at(p).isLetter();
}

// Where the character that ends just before `p` starts.
qsizetype CharacterBefore(QStringView text, qsizetype p) {
    return p >= 2 && text.at(p - 1).isLowSurrogate() && text.at(p - 2).isHighSurrogate() ? p - 2
                                                                                         : p - 1;
}

} // namespace

CaseLanguage SessionCaseLanguage() {
    QString locale;
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        locale = qEnvironmentVariable(variable);
        if (!locale.isEmpty())
            break;
    }
    const QStringView language = QStringView(locale).left(2);
    const bool turkic = (language == u"tr" || language == u"az") &&
                        (locale.size() == 2 || !locale.at(2).isLetter());
    return turkic ? CaseLanguage::Turkic : CaseLanguage::Common;
}

void MapCase(QString& text, qsizetype from, qsizetype to, LetterCase letterCase,
             CaseLanguage language) {
    QChar* units = text.data();
    for (qsizetype i = from; i < to; ++i) {
        const QChar unit = units[i];
        if (unit == kCapitalSigma && letterCase == LetterCase::Lower) {
            const bool endsWord =
                LetterAt(text, CharacterBefore(text, i)) && !LetterAt(text, i + 1);
            units[i] = endsWord ? QChar(kFinalSigma) : unit.toLower();
        } else if (!unit.isSurrogate()) {
            const char32_t mapped = Mapped(unit.unicode(), letterCase, language);
            if (!QChar::requiresSurrogates(mapped))
                units[i] = QChar(static_cast<char16_t>(mapped));
        } else if (unit.isHighSurrogate() && i + 1 < to && units[i + 1].isLowSurrogate()) {
            const char32_t mapped =
                Mapped(QChar::surrogateToUcs4(unit, units[i + 1]), letterCase, language);
            if (QChar::requiresSurrogates(mapped)) {
                units[i] = QChar(QChar::highSurrogate(mapped));
                units[i + 1] = QChar(QChar::lowSurrogate(mapped));
            }
            ++i;
        }
    }
}

} // namespace corvane
