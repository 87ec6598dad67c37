// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/BatchRun.h"

#include "files/UndoLog.h"
#include "platform/FileOperations.h"
#include "platform/LogFile.h"

namespace corvane {
namespace {

// Renames one file and logs it; a rename whose record cannot be written is taken back, so
// that the log holds exactly the renames that happened.
RenameResult RenameAndLog(const FolderOnHost& folder, const RenamePlan& plan, LogFile& log) {
    if (plan.refusal != kNoError)
        return {plan.refusal};
    RenameResult renamed = folder.rename(plan.name, plan.newName, &plan.oldBytes, &plan.newBytes);
    if (renamed.code != kNoError)
        return renamed;
    const FileErrorCode logged = log.write(UndoRecordBytes(plan.newBytes, plan.oldBytes).view());
    if (logged == kNoError)
        return {};
    const RenameResult back = folder.rename(plan.newName, plan.name);
    if (back.code == kNoError)
        return {logged};
    // The file stays under its new name without a record, or where the take-back left it.
    return {logged, back.leftAs.isEmpty() ? plan.newName : back.leftAs};
}

} // namespace

BatchResult RunPlans(const FolderOnHost& folder, const QList<RenamePlan>& plans, LogFile& log,
                     const BatchProgress& progress) {
    BatchResult result;
    result.logRewritten = true;
    for (qsizetype i = 0; result.code == kNoError && i < plans.size(); ++i) {
        const RenamePlan& plan = plans.at(i);
        if (progress && !progress(i, plans.size(), plan.name)) {
            result.cancelled = true;
            break;
        }
        const RenameResult renamed = RenameAndLog(folder, plan, log);
        result.code = renamed.code;
        if (!renamed.leftAs.isEmpty())
            result.stranded = {plan.name, renamed.leftAs};
        if (result.code == kNoError)
            ++result.renamed;
    }
    // What was renamed is on the device before the batch says it ended, and so is its log.
    const FileErrorCode lasting = folder.finish();
    const FileErrorCode closed = log.close();
    if (result.code == kNoError)
        result.code = lasting != kNoError ? lasting : closed;
    return result;
}

} // namespace corvane
