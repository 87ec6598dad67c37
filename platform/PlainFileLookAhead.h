// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SystemCalls.h"

#include <QByteArray>
#include <QList>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>

namespace corvane {

// Whether `name` in the open folder is what a rename may move: a plain file, a link to one, or a
// link whose target is gone for now, as when the same batch or Undo moves the target too.
bool IsPlainFileOrLink(const SystemCalls& system, int folder, const QByteArray& name);

// Looks, on a thread of its own, at entries of an open folder in the order the renames of a
// batch will come to them, each well before its rename asks: whether it is a plain file or a
// link to one. The names' bytes are the caller's, kept until the look-ahead is gone.
class PlainFileLookAhead {
public:
    // Throws std::system_error when no thread can be had.
    PlainFileLookAhead(const SystemCalls& system, int folder, QList<const QByteArray*> names);

    // The answer for `name` when it is one of the names still ahead, waiting for its look if
    // need be; nothing when it is not, and the caller looks for itself. The names passed over
    // on the way are not asked for again.
    std::optional<bool> answerFor(const QByteArray& name);

private:
    const SystemCalls& m_system;
    const int m_folder;
    const QList<const QByteArray*> m_names;
    const std::unique_ptr<bool[]> m_plain; // each written before m_looked passes it
    std::atomic<qsizetype> m_looked = 0;
    qsizetype m_asked = 0;
    qsizetype m_seen = 0;  // the looks known made
    std::jthread m_thread; // last: stopped and joined before the rest goes
};

} // namespace corvane
