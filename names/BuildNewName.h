// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "names/RenameOptions.h"

#include <QString>

namespace corvane {

// The new bare file name for `name` under `options`: eleven steps in a fixed order.
// Throws NameOverflow when the name would pass kMaxNameLength at any step.
QString BuildNewName(QString name, const RenameOptions& options);

} // namespace corvane
