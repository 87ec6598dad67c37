// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "names/CaseMapping.h"

#include <QString>
#include <QStringView>

namespace corvane {

// The first comma becomes a bare dash; later commas stay.
QString CommaToDash(QString name);

// Drops the first two characters when they read as a track number, then one leading dash,
// trimming spaces after each.
QString DeleteTrackNumber(QString name, QStringView decimalSeparator);

// Whether a text of at most two characters reads as a number: two digits, or one digit with a
// space, a sign or the user's decimal separator before or after it.
bool ReadsAsTrackNumber(QStringView text, QStringView decimalSeparator);

// The first character in upper case, the rest unchanged.
QString FirstCapital(QString name, CaseLanguage language);

// The whole name in lower case.
QString LowerCase(QString name, CaseLanguage language);

// Leading and trailing spaces (U+0020 only) removed.
QString TrimSpaces(QString name);
QStringView TrimmedSpaces(QStringView text);

} // namespace corvane
