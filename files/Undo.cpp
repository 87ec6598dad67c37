#include "files/Undo.h"

#include "files/UndoLog.h"
#include "platform/FileOperations.h"
#include "platform/LogFile.h"

namespace corvane {

UndoResult UndoBatch(const DriveTable& drives, QStringView folder, QStringView logPath) {
    UndoResult result;
    const FileContents file = ReadWholeFile(drives, logPath);
    if (file.code != kNoError) {
        result.code = file.code;
        return result;
    }
    const UndoLogContents log = ParseUndoLog(file.bytes);
    result.code = log.code;
    const FolderOnHost host(drives, folder);
    for (auto record = log.records.crbegin(); record != log.records.crend(); ++record) {
        const FileErrorCode code = host.rename(record->newName, record->oldName);
        if (code == kNoError)
            ++result.restored;
        else if (result.code == kNoError)
            result.code = code;
    }
    return result;
}

} // namespace corvane
