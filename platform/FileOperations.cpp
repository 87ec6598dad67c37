#include "platform/FileOperations.h"

#include "platform/ErrnoCodes.h"
#include "platform/HostPaths.h"
#include "platform/NameCodec.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>

namespace corvane {
namespace {

bool IsSameFile(const QByteArray& a, const QByteArray& b) {
    struct stat infoA {};
    struct stat infoB {};
    return ::lstat(a.constData(), &infoA) == 0 && ::lstat(b.constData(), &infoB) == 0 &&
           infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
}

// A rename that never replaces: NOREPLACE where the volume takes it, else link and unlink.
int RenameNoReplace(const SystemCalls& system, const QByteArray& from, const QByteArray& to) {
    const int renamed = system.renameNoReplace(from, to);
    if (renamed != -EINVAL)
        return renamed;
    if (const int linked = system.link(from, to); linked < 0)
        return linked;
    // A file left under both names would be renamed and not renamed at once.
    const int unlinked = system.unlink(from);
    if (unlinked < 0)
        system.unlink(to);
    return unlinked;
}

// On a volume that ignores case the new spelling is the old file: step aside through a free
// name so that the new spelling sticks.
int RenameThroughFreeName(const SystemCalls& system, const QByteArray& folder,
                          const QByteArray& from, const QByteArray& to) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray aside = InFolder(folder, ".corvane-rename-" + QByteArray::number(attempt));
        const int moved = RenameNoReplace(system, from, aside);
        if (moved == -EEXIST)
            continue;
        if (moved < 0)
            return moved;
        const int renamed = RenameNoReplace(system, aside, to);
        if (renamed < 0)
            RenameNoReplace(system, aside, from);
        return renamed;
    }
    return -EEXIST;
}

} // namespace

bool IsBareFileName(QStringView name) {
    return IsEntryName(name) && !name.contains(u'\\') && !name.contains(u'"');
}

FolderOnHost::FolderOnHost(const DriveTable& drives, QStringView folder)
    : m_drives(drives), m_host(drives.hostPath(folder)) {
    if (!m_host)
        m_unmappable = UnmappableCode(drives, folder);
}

FileErrorCode FolderOnHost::rename(QStringView oldName, QStringView newName) const {
    if (!IsBareFileName(newName) || !IsEntryName(oldName))
        return kBadFileName;
    const std::optional<QByteArray> encodedOld = EncodeName(oldName);
    const std::optional<QByteArray> encodedNew = EncodeName(newName);
    if (!encodedNew || encodedNew->size() > NAME_MAX)
        return kBadFileName;
    if (!m_host)
        return m_unmappable;
    if (oldName == newName)
        return kNoError;
    if (!encodedOld)
        return kFileNotFound;

    const QByteArray from = InFolder(*m_host, *encodedOld);
    const QByteArray to = InFolder(*m_host, *encodedNew);
    const SystemCalls& system = m_drives.system();
    int result = RenameNoReplace(system, from, to);
    if (result == -EEXIST && IsSameFile(from, to))
        result = RenameThroughFreeName(system, *m_host, from, to);
    return result < 0 ? CodeForFailure(-result, *m_host) : kNoError;
}

FileErrorCode DeleteFile(const DriveTable& drives, QStringView path) {
    const std::optional<QByteArray> host = drives.hostPath(path);
    if (!host)
        return UnmappableCode(drives, path);
    const int result = drives.system().unlink(*host);
    return result < 0 ? CodeForFailure(-result, ParentOf(*host)) : kNoError;
}

} // namespace corvane
