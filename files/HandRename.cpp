#include "files/HandRename.h"

namespace corvane {

RenameResult RenameByHand(const DriveTable& drives, QStringView folder, QStringView presentName,
                          QStringView answer) {
    if (answer.isEmpty() || answer == presentName)
        return {};
    RepairPendingRenames(drives);
    return RenameInFolder(drives, folder, presentName, answer);
}

} // namespace corvane
