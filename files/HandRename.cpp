#include "files/HandRename.h"

#include "platform/FileOperations.h"

namespace corvane {

FileErrorCode RenameByHand(const DriveTable& drives, QStringView folder, QStringView presentName,
                           QStringView answer) {
    if (answer.isEmpty() || answer == presentName)
        return kNoError;
    return RenameInFolder(drives, folder, presentName, answer);
}

} // namespace corvane
