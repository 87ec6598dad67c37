// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/HostPaths.h"

#include "platform/ErrnoCodes.h"

#include <algorithm>
#include <cerrno>

namespace corvane {

bool IsEntryName(QStringView name) {
    // This runs for both names of every file of a batch: two vectorised scans beat one loop.
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') &&
           !name.contains(QChar(0));
}

QByteArray InFolder(const QByteArray& folder, const QByteArray& name) {
    return folder.endsWith('/') ? QByteArray(folder + name) : QByteArray(folder + '/' + name);
}

QByteArray ParentOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.first(slash);
}

bool IsFolder(const SystemCalls& system, const QByteArray& path) {
    struct stat info {};
    return system.status(AT_FDCWD, path, info).ok() && S_ISDIR(info.st_mode);
}

FileErrorCode CodeForFailure(const SystemCalls& system, const SysResult& failure,
                             const QByteArray& folder) {
    if (failure.error != ENOENT)
        return CodeForErrno(failure.error, kFileNotFound);
    return IsFolder(system, folder) ? kFileNotFound : kPathNotFound;
}

} // namespace corvane
