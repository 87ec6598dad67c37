// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/PipelineSteps.h"

#include "names/CaseMapping.h"
#include "names/Characters.h"
#include "names/NameLimits.h"

#include <algorithm>

namespace corvane {
namespace {

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool IsNumberCompanion(QChar c, QStringView decimalSeparator) {
    return c == u' ' || c == u'+' || c == u'-' || QStringView(&c, 1) == decimalSeparator;
}

} // namespace

QString CommaToDash(QString name) {
    EnsureFits(name);
    const qsizetype comma = name.indexOf(u',');
    if (comma >= 0)
        name[comma] = u'-';
    return name;
}

bool ReadsAsTrackNumber(QStringView text, QStringView decimalSeparator) {
    if (text.size() != 2)
        return false;
    const QChar first = text.at(0);
    const QChar second = text.at(1);
    if (IsDigit(first))
        return IsDigit(second) || IsNumberCompanion(second, decimalSeparator);
    return IsDigit(second) && IsNumberCompanion(first, decimalSeparator);
}

QString DeleteTrackNumber(QString name, QStringView decimalSeparator) {
    EnsureFits(name);
    if (ReadsAsTrackNumber(QStringView(name).first(std::min<qsizetype>(2, name.size())),
                           decimalSeparator))
        name = TrimSpaces(std::move(name.remove(0, 2)));
    if (name.startsWith(u'-'))
        name = TrimSpaces(std::move(name.remove(0, 1)));
    return name;
}

QString FirstCapital(QString name, CaseLanguage language) {
    EnsureFits(name);
    MapCase(name, 0, CharacterEnd(name, 0), LetterCase::Upper, language);
    return name;
}

QString LowerCase(QString name, CaseLanguage language) {
    EnsureFits(name);
    MapCase(name, 0, name.size(), LetterCase::Lower, language);
    return name;
}

QStringView TrimmedSpaces(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.sliced(begin, end - begin);
}

QString TrimSpaces(QString name) {
    const QStringView trimmed = TrimmedSpaces(name);
    // Cut in place: a name the pipeline owns is not copied again.
    const qsizetype leading = trimmed.data() - name.constData();
    name.truncate(leading + trimmed.size());
    name.remove(0, leading);
    return name;
}

} // namespace corvane
