// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DriveTable.h"
#include "platform/EntryId.h"
#include "platform/FileErrorCode.h"

#include <QStringList>
#include <QStringView>
#include <optional>

namespace corvane {

class FilePattern;

struct FolderListing {
    FileErrorCode code = kNoError;
    QStringList names;             // in file list order; hidden entries (a leading dot) left out
    QStringList entries;           // every entry's name, hidden ones and other kinds too
    std::optional<EntryId> folder; // which folder was listed
};

// The plain files of a folder whose names match the pattern.
FolderListing ListFiles(const DriveTable& drives, QStringView folder, const FilePattern& pattern);

// The subfolders of a folder.
FolderListing ListFolders(const DriveTable& drives, QStringView folder);

} // namespace corvane
