#pragma once

#include "platform/DriveTable.h"
#include "platform/FileErrorCode.h"

#include <QStringView>

namespace corvane {

struct UndoResult {
    FileErrorCode code = kNoError; // the first failure met, 0 when every record was undone
    qsizetype restored = 0;
};

// Renames the files of the last batch back, in `folder`, from the last record to the first, so
// that a name one file gave up and another took is free again when it is needed. A failure
// does not stop the rest: every record is tried.
UndoResult UndoBatch(const DriveTable& drives, QStringView folder, QStringView logPath);

} // namespace corvane
