// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/StrandedFile.h"
#include "platform/DriveTable.h"
#include "platform/FileErrorCode.h"

#include <QString>
#include <QStringView>

namespace corvane {

struct HandRenameResult {
    FileErrorCode code = kNoError;
    StrandedFile stranded;
    QString unfinished; // the renames an earlier kill left that could not be repaired
};

// Renames one file of `folder` to the name the user typed, used as typed. An empty answer
// (Cancel) or the present name renames nothing; an answer that differs only in letter case
// renames; one of blanks only is refused. Renames left half done by an earlier kill are repaired
// first. Not written to the undo log.
HandRenameResult RenameByHand(const DriveTable& drives, QStringView folder, QStringView presentName,
                              QStringView answer);

} // namespace corvane
