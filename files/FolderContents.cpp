// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FolderContents.h"

#include "platform/FilePattern.h"

namespace corvane {

FolderListing ListedFiles(const DriveTable& drives, QStringView folder) {
    return ListFiles(drives, folder, FilePattern(u"*"));
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
    return ListFolders(drives, folder);
}

} // namespace corvane
