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

StepResult LinkAndUnlink(const SystemCalls& system, int linked, const QByteArray& from,
                         const QByteArray& to) {
    if (linked < 0)
        return {linked};
    const int unlinked = system.unlink(from);
    if (unlinked == 0)
        return {};
    // A file left under both names would be renamed and not renamed at once.
    return {unlinked, system.unlink(to) < 0};
}

StepResult ReserveAndRenameOver(const SystemCalls& system, const QByteArray& from,
                                const QByteArray& to) {
    const int reserved = system.open(to, O_WRONLY | O_CREAT | O_EXCL);
    if (reserved < 0)
        return {reserved};
    system.close(reserved);
    const int renamed = system.renameOver(from, to);
    if (renamed == 0)
        return {};
    return {renamed, system.unlink(to) < 0};
}

} // namespace

StepResult MoveWithoutNoReplace(const SystemCalls& system, const QByteArray& from,
                                const QByteArray& to) {
    const int linked = system.link(from, to);
    if (!RefusesLinks(linked))
        return LinkAndUnlink(system, linked, from, to);
    return ReserveAndRenameOver(system, from, to);
}

StepResult MoveToFreeName(const SystemCalls& system, const QByteArray& from, const QByteArray& to) {
    const int renamed = system.renameNoReplace(from, to);
    if (renamed != -EINVAL)
        return {renamed};
    return MoveWithoutNoReplace(system, from, to);
}

int ListsExactly(const SystemCalls& system, const QByteArray& folder, const QByteArray& name) {
    QList<FolderEntry> entries;
    if (const int read = system.readFolder(folder, entries); read < 0)
        return read;
    return std::any_of(entries.begin(), entries.end(),
                       [&](const FolderEntry& entry) { return entry.name == name; })
               ? 1
               : 0;
}

} // namespace corvane
