// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace corvane {

// Every underscore becomes one space; nothing is trimmed or merged.
QString UnderscoresToSpaces(QString name);

// Gives every dash from the second character on a space before and after it where it has none;
// a dash that ends the name gets a trailing space. Existing spaces stay as they are.
QString SpacesAroundDashes(QString name);

} // namespace corvane
