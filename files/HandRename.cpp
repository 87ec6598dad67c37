// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/HandRename.h"

#include "files/RenameRepair.h"
#include "platform/FileOperations.h"

#include <algorithm>

namespace corvane {

HandRenameResult RenameByHand(const DriveTable& drives, QStringView folder, QStringView presentName,
                              QStringView answer) {
    HandRenameResult result;
    if (answer.isEmpty() || answer == presentName)
        return result;
    // An answer of blanks only would make an entry that looks nameless.
    if (std::all_of(answer.begin(), answer.end(), [](QChar c) { return c.isSpace(); })) {
        result.code = kBadFileName;
        return result;
    }
    result.unfinished = RepairUnfinishedRenames(drives);
    const FolderOnHost host(drives, folder);
    const RenameResult renamed = host.rename(presentName, answer);
    const FileErrorCode lasting = host.finish();
    result.code = renamed.code != kNoError ? renamed.code : lasting;
    if (!renamed.leftAs.isEmpty())
        result.stranded = {presentName.toString(), renamed.leftAs};
    return result;
}

} // namespace corvane
