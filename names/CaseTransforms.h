// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "names/CaseMapping.h"

#include <QString>

namespace corvane {

// Raises the character after every space; lowers nothing and leaves the first character.
QString MakeProperCase(QString name, CaseLanguage language);

// Raises the first character and the second character after the first dash, lowers the rest;
// a name without a dash comes back unchanged.
QString UpperCaseAfterDash(QString name, CaseLanguage language);

} // namespace corvane
