// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SystemCalls.h"

#include <QByteArray>

// The ladder of renames that never replace a file, for volumes that refuse one or another way.

namespace corvane {

struct StepResult {
    StepResult(SysResult answer = {}, bool stranded = false) : answer(answer), stranded(stranded) {}
    SysResult answer;
    bool stranded; // a failed step could not be taken back
};

// Moves `from` onto the free name `to` in the same folder (both relative to `dir`), on a volume
// that refused RENAME_NOREPLACE: a link and an unlink where the volume has links, else `to`
// reserved with O_EXCL and renamed over. Every failed step is taken back; EEXIST when `to` is
// taken.
StepResult MoveWithoutNoReplace(const SystemCalls& system, int dir, const QByteArray& from,
                                const QByteArray& to);

// RENAME_NOREPLACE, else the ladder above.
StepResult MoveToFreeName(const SystemCalls& system, int dir, const QByteArray& from,
                          const QByteArray& to);

struct Listed {
    SysResult read; // the folder's reading
    bool exactly = false;
};

// Whether the folder `dir` holds an entry spelled exactly `name`; a volume that ignores case
// answers a lookup of either spelling, only its listing tells them apart.
Listed ListsExactly(const SystemCalls& system, int dir, const QByteArray& name);

} // namespace corvane
