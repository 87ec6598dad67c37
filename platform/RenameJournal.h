// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SystemCalls.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace corvane {

// A rename that takes more than one system call, written down before its first step, so that
// after a kill, a crash or a pulled stick it can be finished or taken back. The file is under
// one of these names, or under two of them as links of one file, or beside an empty file that
// reserved a name.
struct PendingRename {
    QByteArray folder; // host folder
    QByteArray from;
    QByteArray to;
    QByteArray aside; // the free name a case-only rename passes through; empty when none
    bool operator==(const PendingRename&) const = default;
};

QByteArray FormatPendingRename(const PendingRename& rename);
// A torn last entry is left out: its first step never began.
QList<PendingRename> ParsePendingRenames(QByteArrayView bytes);

// The journal of pending renames, a file beside the undo log. It is locked while a step is in
// flight, so that recovery in another window leaves that step alone; a kill releases the lock.
class RenameJournal {
public:
    RenameJournal(const SystemCalls& system, QByteArray path);
    ~RenameJournal();
    RenameJournal(const RenameJournal&) = delete;
    RenameJournal& operator=(const RenameJournal&) = delete;

    // Writes the step down before it begins.
    SysResult begin(const PendingRename& rename);
    // The step is finished or taken back: its entry goes.
    void end();
    // The step could not be taken back: its entry stays for recovery.
    void keep();
    // Whether a step's entry is written and not yet let go.
    bool holdsStep() const { return m_fd >= 0; }

private:
    const SystemCalls& m_system;
    QByteArray m_path;
    int m_fd = -1;
    off_t m_base = 0; // the size before this step's entry
};

} // namespace corvane
