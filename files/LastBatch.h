// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/BatchProgress.h"
#include "files/BatchRun.h"
#include "files/RenamePlan.h"
#include "files/Undo.h"
#include "files/UndoLog.h"
#include "platform/DriveTable.h"
#include "platform/EntryId.h"

#include <QList>
#include <QString>
#include <optional>

namespace corvane {

// A batch as the window hands it to a worker: everything it needs, by value.
struct BatchJob {
    DriveTable drives;
    QString folder;
    std::optional<EntryId> listed; // the folder the plans were made from
    QList<RenamePlan> plans;
};

struct BatchOutcome {
    BatchResult result;
    QString unfinished; // the renames an earlier kill left that could not be repaired
    QString folderPath;
    std::optional<EntryId> folder; // the folder the batch ran in
    UndoLogOnDisk log;             // the log it wrote
};

// Renames left half done are repaired first; a folder swapped for another since the listing is
// refused untouched. The log is emptied, then the plans are carried out.
BatchOutcome RunBatchJob(const BatchJob& job, const BatchProgress& progress = {});

// An Undo as the window hands it to a worker.
struct UndoJob {
    DriveTable drives;
    QString folder;
    EntryId folderId;  // the folder the batch ran in
    UndoLogOnDisk log; // the log it wrote
};

struct UndoOutcome {
    UndoResult result;
    QString unfinished;
};

// Renames left half done are repaired first; then the batch is put back, once the folder and the
// log are found to be its own.
UndoOutcome RunUndoJob(const UndoJob& job, const BatchProgress& progress = {});

// The last batch of one window: the undo log "c:\windows\razveljavi.txt" from its creation at
// start-up to its deletion at Exit, which folder the batch ran in, and the log it wrote. It holds
// nothing open between two actions, so a stick can be ejected: Undo opens the folder again and
// renames only in that very folder, and only from that very log.
class LastBatch {
public:
    explicit LastBatch(const DriveTable& drives) : m_drives(drives) {}

    // Start-up: renames a kill left half done are finished or taken back, and the log is created,
    // empty, when missing (one that cannot be made fails the first batch). Returns what the window
    // says of the renames that could not be repaired; empty when there are none.
    QString start() const;

    // A batch begins: the plans of the names listed from `listed`, to run in `folder`.
    BatchJob batch(const QString& folder, std::optional<EntryId> listed, QList<RenamePlan> plans);
    void finish(const BatchOutcome& outcome);

    // An Undo of the last batch; nothing when it left nothing to undo. An Undo cancelled part-way
    // can be run again to finish it.
    std::optional<UndoJob> undo() const;
    void finish(const UndoOutcome& outcome);

    bool canUndo() const { return m_canUndo; }
    // The window's flag: -1 once a batch has begun, else 0.
    qint16 stevec() const { return m_stevec; }

    // Exit: the log goes; one already gone is no failure.
    void deleteLog() const;

private:
    const DriveTable& m_drives;
    qint16 m_stevec = 0;
    bool m_canUndo = false;
    QString m_folderPath;
    EntryId m_folder;
    UndoLogOnDisk m_log;
};

} // namespace corvane
