// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Undo.h"

#include "files/UndoLog.h"
#include "platform/FileOperations.h"

namespace corvane {

UndoResult UndoFromLog(const FolderOnHost& host, const UndoLogContents& log,
                       const BatchProgress& progress) {
    UndoResult result;
    result.code = log.code;
    const qsizetype total = log.records.size();
    for (auto record = log.records.crbegin(); record != log.records.crend(); ++record) {
        if (progress && !progress(record - log.records.crbegin(), total, record->newName)) {
            result.cancelled = true;
            break;
        }
        const RenameResult renamed = host.rename(record->newName, record->oldName);
        // A record an Undo cut short had already put back is restored all the same.
        const bool putBack = renamed.code == kFileNotFound && host.holds(record->oldName);
        if (renamed.code == kNoError || putBack)
            ++result.restored;
        else if (result.code == kNoError)
            result.code = renamed.code;
        if (!renamed.leftAs.isEmpty()) {
            result.code = renamed.code;
            result.stranded = {record->newName, renamed.leftAs};
            break;
        }
    }
    // What was put back is on the device before Undo says it ended.
    if (const FileErrorCode lasting = host.finish(); result.code == kNoError)
        result.code = lasting;
    return result;
}

} // namespace corvane
