// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FolderContents.h"
#include "files/LastBatch.h"

#include <QStringList>

// Batches and Undo on the road the window takes: the folder listed, the batch planned, the job
// run and its outcome handed back to the owner of the last batch.
class Session {
public:
    explicit Session(const corvane::DriveTable& drives) : m_drives(drives), m_last(drives) {}

    // Every listed file of `folder` that matches `pattern`.
    corvane::BatchResult batch(const corvane::RenameOptions& options = {},
                               const QString& folder = QStringLiteral("c:\\"),
                               const corvane::BatchProgress& progress = {},
                               const QString& pattern = QStringLiteral("*"));
    // These names, in this order, as listed from `listing`.
    corvane::BatchResult batch(const corvane::FolderListing& listing, const QStringList& names,
                               const corvane::RenameOptions& options, const QString& folder,
                               const corvane::BatchProgress& progress = {});
    corvane::UndoResult undo(const corvane::BatchProgress& progress = {});

    corvane::LastBatch& last() { return m_last; }

private:
    const corvane::DriveTable& m_drives;
    corvane::LastBatch m_last;
};
