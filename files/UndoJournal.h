// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/BatchRun.h"
#include "files/Undo.h"
#include "names/RenameOptions.h"
#include "platform/DriveTable.h"
#include "platform/EntryId.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace corvane {

class FolderOnHost;

// The last batch of one window: the undo log "c:\windows\razveljavi.txt" from its creation at
// start-up to its deletion at Exit, the folder the batch ran in, held open, and the log as the
// batch wrote it. Undo renames only in that very folder and only from that very log.
class UndoJournal {
public:
    explicit UndoJournal(const DriveTable& drives);
    ~UndoJournal();
    UndoJournal(const UndoJournal&) = delete;
    UndoJournal& operator=(const UndoJournal&) = delete;

    // Creates the log, empty, when it is missing; one that cannot be made is no failure here.
    void createLog() const;
    // Renames the listed files of `folder`; `listed` is the folder the names were listed from,
    // and a folder swapped for another since is refused untouched.
    BatchResult runBatch(const QString& folder, std::optional<EntryId> listed,
                         const QStringList& names, const RenameOptions& options,
                         const BatchProgress& progress = {});
    // Whether the last batch left anything to undo.
    bool canUndo() const { return m_canUndo; }
    // Puts the last batch back, once the folder and the log are found to be its own.
    // An Undo cancelled part-way can be run again to finish it.
    UndoResult undo(const BatchProgress& progress = {});
    // Exit: the log goes; one already gone is no failure.
    void deleteLog() const;

private:
    const DriveTable& m_drives;
    QString m_folderPath;
    std::unique_ptr<FolderOnHost> m_folder;
    std::optional<EntryId> m_logId;
    QByteArray m_logDigest;
    bool m_canUndo = false;
};

} // namespace corvane
