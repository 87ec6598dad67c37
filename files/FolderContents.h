// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DriveTable.h"
#include "platform/EntryId.h"
#include "platform/FileErrorCode.h"
#include "platform/VolumeRules.h"

#include <QStringList>
#include <QStringView>
#include <optional>

namespace corvane {

struct FolderListing {
    FileErrorCode code = kNoError;
    QStringList names;             // in file list order; hidden entries (a leading dot) left out
    QStringList entries;           // every entry's name, hidden ones and other kinds too
    std::optional<EntryId> folder; // which folder was listed
    VolumeRules rules;             // what its volume allows in a name
};

// What the window lists of a folder: all its plain files, in file list order, to be narrowed by
// a pattern without reading the folder again.
FolderListing ListedFiles(const DriveTable& drives, QStringView folder);

// The names that match the pattern text, in their order.
QStringList MatchingNames(const QStringList& names, QStringView pattern);

// Its subfolders.
FolderListing ListedFolders(const DriveTable& drives, QStringView folder);

} // namespace corvane
