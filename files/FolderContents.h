// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DriveTable.h"
#include "platform/FolderListing.h"

#include <QStringList>
#include <QStringView>

namespace corvane {

// What the window lists of a folder: all its plain files, in file list order, to be narrowed by
// a pattern without reading the folder again.
FolderListing ListedFiles(const DriveTable& drives, QStringView folder);

// The names that match the pattern text, in their order.
QStringList MatchingNames(const QStringList& names, QStringView pattern);

// Its subfolders.
FolderListing ListedFolders(const DriveTable& drives, QStringView folder);

} // namespace corvane
