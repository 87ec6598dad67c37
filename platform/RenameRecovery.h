// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/RenameJournal.h"
#include "platform/SystemCalls.h"

#include <QByteArray>
#include <QList>

namespace corvane {

// Finishes or takes back every rename that a kill, a crash or a pulled stick left pending in
// the journal, so that each file ends under exactly one of its names. Returns the ones that
// could not be repaired (the folder is gone, the file cannot be found, a stranger took a name),
// which stay in the journal for the next try. A step in flight in another window is left alone.
QList<PendingRename> RecoverPendingRenames(const SystemCalls& system,
                                           const QByteArray& journalPath);

} // namespace corvane
