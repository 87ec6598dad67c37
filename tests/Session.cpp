// SPDX-License-Identifier: GPL-3.0-or-later
#include "Session.h"

using namespace corvane;

BatchResult Session::batch(const RenameOptions& options, const QString& folder,
                           const BatchProgress& progress, const QString& pattern) {
    const FolderListing listing = ListedFiles(m_drives, folder);
    return batch(listing, MatchingNames(listing.names, pattern), options, folder, progress);
}

BatchResult Session::batch(const FolderListing& listing, const QStringList& names,
                           const RenameOptions& options, const QString& folder,
                           const BatchProgress& progress) {
    const BatchJob job = m_last.batch(folder, listing.folder,
                                      PlanBatch(names, listing.entries, listing.rules, options));
    const BatchOutcome outcome = RunBatchJob(job, progress);
    m_last.finish(outcome);
    return outcome.result;
}

UndoResult Session::undo(const BatchProgress& progress) {
    const std::optional<UndoJob> job = m_last.undo();
    if (!job)
        return {};
    const UndoOutcome outcome = RunUndoJob(*job, progress);
    m_last.finish(outcome);
    return outcome.result;
}
