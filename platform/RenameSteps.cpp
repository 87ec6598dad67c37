// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RenameSteps.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>

namespace corvane {
namespace {

// A volume without links says so with one of these: FAT and exFAT with EPERM, a network client
// such as an rclone mount with EIO. The file is untouched either way.
bool RefusesLinks(const SysResult& linked) {
    switch (linked.error) {
    case EIO:
    case EPERM:
    case EOPNOTSUPP:
    case ENOSYS:
    case EMLINK:
    case EINVAL:
        return true;
    default:
        return false;
    }
}

StepResult LinkAndUnlink(const SystemCalls& system, int dir, const SysResult& linked,
                         const QByteArray& from, const QByteArray& to) {
    if (!linked.ok())
        return {linked};
    const SysResult unlinked = system.unlink(dir, from);
    if (unlinked.ok())
        return {};
    // A file left under both names would be renamed and not renamed at once.
    return {unlinked, !system.unlink(dir, to).ok()};
}

StepResult ReserveAndRenameOver(const SystemCalls& system, int dir, const QByteArray& from,
                                const QByteArray& to) {
    const SysResult reserved = system.open(dir, to, O_WRONLY | O_CREAT | O_EXCL);
    if (!reserved.ok())
        return {reserved};
    // An empty file just made has nothing to lose in a failed close.
    system.close(reserved.fd());
    const SysResult renamed = system.renameOver(dir, from, to);
    if (renamed.ok())
        return {};
    return {renamed, !system.unlink(dir, to).ok()};
}

} // namespace

StepResult MoveWithoutNoReplace(const SystemCalls& system, int dir, const QByteArray& from,
                                const QByteArray& to) {
    const SysResult linked = system.link(dir, from, to);
    if (!RefusesLinks(linked))
        return LinkAndUnlink(system, dir, linked, from, to);
    return ReserveAndRenameOver(system, dir, from, to);
}

StepResult MoveToFreeName(const SystemCalls& system, int dir, const QByteArray& from,
                          const QByteArray& to) {
    const SysResult renamed = system.renameNoReplace(dir, from, to);
    if (renamed.error != EINVAL)
        return {renamed};
    return MoveWithoutNoReplace(system, dir, from, to);
}

Listed ListsExactly(const SystemCalls& system, int dir, const QByteArray& name) {
    QList<FolderEntry> entries;
    Listed listed{ReadFolder(system, dir, ".", entries)};
    listed.exactly = std::any_of(entries.begin(), entries.end(),
                                 [&](const FolderEntry& entry) { return entry.name == name; });
    return listed;
}

} // namespace corvane
