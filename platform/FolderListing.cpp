#include "platform/FolderListing.h"

#include "platform/ErrnoCodes.h"
#include "platform/FilePattern.h"
#include "platform/NameCodec.h"
#include "platform/NaturalOrder.h"

#include <algorithm>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace corvane {
namespace {

enum class EntryKind { File, Folder };

bool IsKind(int folderFd, const dirent& entry, EntryKind kind) {
    unsigned char type = entry.d_type;
    if (type == DT_UNKNOWN || type == DT_LNK) {
        struct stat info {};
        if (::fstatat(folderFd, entry.d_name, &info, 0) != 0)
            return false;
        type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
    }
    return type == (kind == EntryKind::File ? DT_REG : DT_DIR);
}

template <typename Keep>
FolderListing List(const DriveTable& drives, QStringView folder, EntryKind kind, Keep keep) {
    FolderListing listing;
    const std::optional<QByteArray> host = drives.hostPath(folder);
    if (!host) {
        listing.code = kPathNotFound;
        return listing;
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(host->constData()), ::closedir);
    if (!dir) {
        listing.code = CodeForErrno(errno, kPathNotFound);
        return listing;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        if (entry->d_name[0] == '.' || !IsKind(::dirfd(dir.get()), *entry, kind))
            continue;
        QString name = DecodeName(QByteArrayView(entry->d_name, qstrlen(entry->d_name)));
        if (keep(name))
            listing.names.append(std::move(name));
    }
    std::sort(listing.names.begin(), listing.names.end(), NaturalLess);
    return listing;
}

} // namespace

FolderListing ListFiles(const DriveTable& drives, QStringView folder, const FilePattern& pattern) {
    return List(drives, folder, EntryKind::File,
                [&](const QString& name) { return pattern.matches(name); });
}

FolderListing ListFolders(const DriveTable& drives, QStringView folder) {
    return List(drives, folder, EntryKind::Folder, [](const QString&) { return true; });
}

} // namespace corvane
