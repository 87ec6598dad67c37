// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

// Every name up to its first dot (a name without one whole), each followed by CR LF.
QString ClipboardText(const QStringList& names);

} // namespace corvane
