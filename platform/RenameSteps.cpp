// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RenameSteps.h"

#include <cerrno>
#include <fcntl.h>

namespace corvane {
namespace {

// A volume without links (FAT, exFAT) says so with one of these.
bool RefusesLinks(int error) {
    return error == -EPERM || error == -EOPNOTSUPP || error == -ENOSYS || error == -EMLINK ||
           error == -EINVAL;
}

StepResult LinkAndUnlink(const SystemCalls& system, int dir, int linked, const QByteArray& from,
                         const QByteArray& to) {
    if (linked < 0)
        return {linked};
    const int unlinked = system.unlink(dir, from);
    if (unlinked == 0)
        return {};
    // A file left under both names would be renamed and not renamed at once.
    return {unlinked, system.unlink(dir, to) < 0};
}

StepResult ReserveAndRenameOver(const SystemCalls& system, int dir, const QByteArray& from,
                                const QByteArray& to) {
    const int reserved = system.open(dir, to, O_WRONLY | O_CREAT | O_EXCL);
    if (reserved < 0)
        return {reserved};
    system.close(reserved);
    const int renamed = system.renameOver(dir, from, to);
    if (renamed == 0)
        return {};
    return {renamed, system.unlink(dir, to) < 0};
}

} // namespace

StepResult MoveWithoutNoReplace(const SystemCalls& system, int dir, const QByteArray& from,
                                const QByteArray& to) {
    const int linked = system.link(dir, from, to);
    if (!RefusesLinks(linked))
        return LinkAndUnlink(system, dir, linked, from, to);
    return ReserveAndRenameOver(system, dir, from, to);
}

StepResult MoveToFreeName(const SystemCalls& system, int dir, const QByteArray& from,
                          const QByteArray& to) {
    const int renamed = system.renameNoReplace(dir, from, to);
    if (renamed != -EINVAL)
        return {renamed};
    return MoveWithoutNoReplace(system, dir, from, to);
}

int ListsExactly(const SystemCalls& system, int dir, const QByteArray& name) {
    QList<FolderEntry> entries;
    if (const int read = system.readFolder(dir, ".", entries); read < 0)
        return read;
    return std::any_of(entries.begin(), entries.end(),
                       [&](const FolderEntry& entry) { return entry.name == name; })
               ? 1
               : 0;
}

} // namespace corvane
