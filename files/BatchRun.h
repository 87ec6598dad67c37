// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/BatchProgress.h"
#include "files/RenamePlan.h"
#include "files/StrandedFile.h"
#include "platform/FileErrorCode.h"

#include <QList>

namespace corvane {

class FolderOnHost;
class LogFile;

struct BatchResult {
    FileErrorCode code = kNoError; // the failure that stopped the batch, 0 when it completed
    qsizetype renamed = 0;         // files renamed, each with its record in the log
    StrandedFile stranded;         // the file the batch stopped on, when it is left misnamed
    bool logRewritten = false;     // the log was emptied for this batch
    bool cancelled = false;        // stopped between two files when asked
};

// Carries out the plans in `folder`, in list order, writing one record to `log` (opened from
// empty) after each rename; the batch stops at the first failure or refusal, which leaves the
// files after it untouched.
BatchResult RunPlans(const FolderOnHost& folder, const QList<RenamePlan>& plans, LogFile& log,
                     const BatchProgress& progress);

} // namespace corvane
