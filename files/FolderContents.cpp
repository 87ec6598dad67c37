// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FolderContents.h"

#include "names/FilePattern.h"
#include "names/NaturalOrder.h"
#include "platform/ErrnoCodes.h"
#include "platform/NameCodec.h"

#include <algorithm>

namespace corvane {
namespace {

FolderListing List(const DriveTable& drives, QStringView folder, FolderEntry::Kind kind) {
    FolderListing listing;
    const DriveTable::Resolved resolved = drives.resolve(folder);
    const std::optional<QByteArray>& host = resolved.host;
    if (!host) {
        listing.code = resolved.code;
        return listing;
    }
    // Which folder it is, taken before it is read, so that a batch can tell a folder swapped
    // since; one that cannot be told is refused by the batch's own look.
    struct stat info {};
    if (drives.system().status(AT_FDCWD, *host, info).ok())
        listing.folder = EntryId::Of(info);
    QList<FolderEntry> entries;
    if (const SysResult read = ReadFolder(drives.system(), AT_FDCWD, *host, entries); !read.ok()) {
        listing.code = CodeForErrno(read.error, kPathNotFound);
        return listing;
    }
    // The state folder's files are the program's own, none of them music.
    const bool own =
        kind == FolderEntry::Kind::File && listing.folder && drives.isStateFolder(*listing.folder);
    listing.entries.reserve(entries.size());
    for (const FolderEntry& entry : entries) {
        listing.entries.append(DecodeName(entry.name));
        if (!entry.name.startsWith('.') && entry.kind == kind && !own)
            listing.names.append(listing.entries.last());
    }
    std::sort(listing.names.begin(), listing.names.end(), NaturalLess);
    listing.rules = RulesOfVolume(drives.system(), *host, listing.entries);
    return listing;
}

} // namespace

FolderListing ListedFiles(const DriveTable& drives, QStringView folder) {
    return List(drives, folder, FolderEntry::Kind::File);
}

QStringList MatchingNames(const QStringList& names, QStringView pattern) {
    const FilePattern matcher(pattern);
    QStringList matching;
    for (const QString& name : names) {
        if (matcher.matches(name))
            matching.append(name);
    }
    return matching;
}

FolderListing ListedFolders(const DriveTable& drives, QStringView folder) {
    return List(drives, folder, FolderEntry::Kind::Folder);
}

} // namespace corvane
