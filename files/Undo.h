// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/BatchProgress.h"
#include "files/StrandedFile.h"
#include "platform/FileErrorCode.h"

namespace corvane {

class FolderOnHost;
struct UndoLogContents;

struct UndoResult {
    FileErrorCode code = kNoError; // the first failure met, 0 when every record was undone
    qsizetype restored = 0;
    StrandedFile stranded;  // a file Undo stopped on, left under a name of neither record field
    bool cancelled = false; // stopped between two records when asked
    bool refused = false;   // nothing was tried: the folder or the log is not the batch's own
};

// Renames the files of the last batch back, in `folder`, from the last record to the first, so
// that a name one file gave up and another took is free again when it is needed. A failure does
// not stop the rest, every record is tried, unless a file is left stranded: then Undo stops
// there.
UndoResult UndoFromLog(const FolderOnHost& folder, const UndoLogContents& log,
                       const BatchProgress& progress);

} // namespace corvane
