// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/HandRename.h"

#include <algorithm>

namespace corvane {

RenameResult RenameByHand(const DriveTable& drives, QStringView folder, QStringView presentName,
                          QStringView answer) {
    if (answer.isEmpty() || answer == presentName)
        return {};
    // An answer of blanks only would make an entry that looks nameless.
    if (std::all_of(answer.begin(), answer.end(), [](QChar c) { return c.isSpace(); }))
        return {kBadFileName};
    RepairPendingRenames(drives);
    return RenameInFolder(drives, folder, presentName, answer);
}

} // namespace corvane
