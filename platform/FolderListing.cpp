// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FolderListing.h"

#include "platform/ErrnoCodes.h"
#include "platform/FilePattern.h"
#include "platform/NameCodec.h"
#include "platform/NaturalOrder.h"

#include <algorithm>
#include <sys/stat.h>

namespace corvane {
namespace {

template <typename Keep>
FolderListing List(const DriveTable& drives, QStringView folder, FolderEntry::Kind kind,
                   Keep keep) {
    FolderListing listing;
    const DriveTable::Resolved resolved = drives.resolve(folder);
    const std::optional<QByteArray>& host = resolved.host;
    if (!host) {
        listing.code = resolved.code;
        return listing;
    }
    // Which folder it is, taken before it is read, so that a batch can tell a folder swapped since.
    struct stat info {};
    if (drives.system().status(AT_FDCWD, *host, info) == 0)
        listing.folder = EntryId{info.st_dev, info.st_ino};
    QList<FolderEntry> entries;
    if (const int read = drives.system().readFolder(AT_FDCWD, *host, entries); read < 0) {
        listing.code = CodeForErrno(-read, kPathNotFound);
        return listing;
    }
    listing.entries.reserve(entries.size());
    for (const FolderEntry& entry : entries) {
        listing.entries.append(DecodeName(entry.name));
        const QString& name = listing.entries.last();
        if (!entry.name.startsWith('.') && entry.kind == kind && keep(name))
            listing.names.append(name);
    }
    std::sort(listing.names.begin(), listing.names.end(), NaturalLess);
    return listing;
}

} // namespace

FolderListing ListFiles(const DriveTable& drives, QStringView folder, const FilePattern& pattern) {
    return List(drives, folder, FolderEntry::Kind::File,
                [&](const QString& name) { return pattern.matches(name); });
}

FolderListing ListFolders(const DriveTable& drives, QStringView folder) {
    return List(drives, folder, FolderEntry::Kind::Folder, [](const QString&) { return true; });
}

} // namespace corvane
