// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QStringList>

namespace corvane {

// The layout was designed for an 8-point interface font: an 11-pixel sans with Helvetica's
// metrics keeps every caption whole.
QFont InterfaceFont();

} // namespace corvane
