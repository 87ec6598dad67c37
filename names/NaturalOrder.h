// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

namespace corvane {

// File list order: letter case ignored, runs of digits compared by value ("2" before "10").
// Names equal under those rules are ordered exactly, so the order is total.
bool NaturalLess(QStringView a, QStringView b);

} // namespace corvane
