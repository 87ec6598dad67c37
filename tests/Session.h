// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FolderContents.h"
#include "files/LastBatch.h"

// Batches and Undo on the road the window takes: the folder listed, the batch planned, the job
// run and its outcome handed back to the owner of the last batch.
class Session {
public:
    explicit Session(const corvane::DriveTable& drives) : m_drives(drives), m_last(drives) {}

    // These names, in this order, as listed from `listing`.
    corvane::BatchResult batch(const corvane::FolderListing& listing, const QStringList& names,
                               const corvane::RenameOptions& options, const QString& folder,
                               const corvane::BatchProgress& progress = {}) {
        const corvane::BatchOutcome outcome = corvane::RunBatchJob(
            m_last.batch(folder, listing.folder,
                         corvane::PlanBatch(names, listing.entries, listing.rules, options)),
            progress);
        m_last.finish(outcome);
        return outcome.result;
    }
    // Every listed file of `folder` that matches `pattern`.
    corvane::BatchResult batch(const corvane::RenameOptions& options = {},
                               const QString& folder = QStringLiteral("c:\\"),
                               const corvane::BatchProgress& progress = {},
                               const QString& pattern = QStringLiteral("*")) {
        const corvane::FolderListing listing = corvane::ListedFiles(m_drives, folder);
        return batch(listing, corvane::MatchingNames(listing.names, pattern), options, folder,
                     progress);
    }
    corvane::UndoResult undo(const corvane::BatchProgress& progress = {}) {
        const std::optional<corvane::UndoJob> job = m_last.undo();
        if (!job)
            return {};
        const corvane::UndoOutcome outcome = corvane::RunUndoJob(*job, progress);
        m_last.finish(outcome);
        return outcome.result;
    }
    corvane::LastBatch& last() { return m_last; }

private:
    const corvane::DriveTable& m_drives;
    corvane::LastBatch m_last;
};
