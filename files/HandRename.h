// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DriveTable.h"
#include "platform/FileOperations.h"

#include <QStringView>

namespace corvane {

// Renames one file of `folder` to the name the user typed, used as typed. An empty answer
// (Cancel) or the present name renames nothing; an answer that differs only in letter case
// renames; one of blanks only is refused. Renames left half done by an earlier kill are repaired
// first. Not written to the undo log.
RenameResult RenameByHand(const DriveTable& drives, QStringView folder, QStringView presentName,
                          QStringView answer);

} // namespace corvane
