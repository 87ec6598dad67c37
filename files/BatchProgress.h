// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

namespace corvane {

// Told before each file of a batch or an Undo how many are done of how many and which name is
// next; answers whether to go on. Stopping there leaves files and log in agreement.
using BatchProgress = std::function<bool(qsizetype done, qsizetype total, const QString& name)>;

} // namespace corvane
