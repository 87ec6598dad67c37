// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/StrandedFile.h"
#include "platform/FileErrorCode.h"

#include <QString>

namespace corvane {

// What the window shows for a failure code: a message box titled "Error" unless the message is
// empty (code 0 only), and for an unavailable drive a return to drive "c:" afterwards.
struct FileErrorReport {
    QString message;
    bool returnToDriveC = false;
};

// A file left stranded is named after the code's message.
FileErrorReport ReportFor(FileErrorCode code, const StrandedFile& stranded = {});

} // namespace corvane
