// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DriveTable.h"

#include <QString>

namespace corvane {

// Finishes or takes back the renames that a kill, a crash or a pulled stick left half done: the
// first step of start-up, of every batch, Undo and hand rename. Returns what the window says of
// those that could not be repaired, naming their files; empty when every one was.
QString RepairUnfinishedRenames(const DriveTable& drives);

} // namespace corvane
