// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/BatchProgress.h"
#include "files/StrandedFile.h"
#include "names/RenameOptions.h"
#include "platform/DriveTable.h"
#include "platform/FileErrorCode.h"

#include <QString>
#include <QStringList>
#include <QStringView>

namespace corvane {

struct BatchResult {
    FileErrorCode code = kNoError; // the failure that stopped the batch, 0 when it completed
    qsizetype renamed = 0;         // files renamed, each with its record in the log
    StrandedFile stranded;         // the file the batch stopped on, when it is left misnamed
    bool logRewritten = false;     // the log was emptied for this batch
    bool cancelled = false;        // stopped between two files when asked
};

class FolderOnHost;

// Renames every listed file of `folder`, in list order, to the name the rules make of it, and
// writes one undo record after each rename. Renames left half done by an earlier kill are
// repaired first. The log is emptied first; the batch stops at the first failure, which leaves
// the files after it untouched.
BatchResult RunBatch(const DriveTable& drives, QStringView folder, const QStringList& names,
                     const RenameOptions& options, QStringView logPath);
// The same, in a folder held open, telling `progress` of each file.
BatchResult RunBatch(const DriveTable& drives, const FolderOnHost& folder, const QStringList& names,
                     const RenameOptions& options, QStringView logPath,
                     const BatchProgress& progress = {});

} // namespace corvane
