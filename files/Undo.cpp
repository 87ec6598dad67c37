#include "files/Undo.h"

#include "files/UndoLog.h"
#include "platform/FileOperations.h"
#include "platform/LogFile.h"

namespace corvane {

UndoResult UndoBatch(const DriveTable& drives, QStringView folder, QStringView logPath) {
    RepairPendingRenames(drives);
    UndoResult result;
    const FileContents file = ReadWholeFile(drives, logPath, kLargestUndoLog);
    if (file.code != kNoError) {
        result.code = file.code;
        return result;
    }
    const UndoLogContents log = ParseUndoLog(file.bytes);
    result.code = log.code;
    const FolderOnHost host(drives, folder);
    for (auto record = log.records.crbegin(); record != log.records.crend(); ++record) {
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
    return result;
}

} // namespace corvane
