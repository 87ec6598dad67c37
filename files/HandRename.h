#pragma once

#include "platform/DriveTable.h"
#include "platform/FileErrorCode.h"

#include <QStringView>

namespace corvane {

// Renames one file of `folder` to the name the user typed, used as typed. An empty answer
// (Cancel) or the present name renames nothing; an answer that differs only in letter case
// renames. Not written to the undo log.
FileErrorCode RenameByHand(const DriveTable& drives, QStringView folder, QStringView presentName,
                           QStringView answer);

} // namespace corvane
