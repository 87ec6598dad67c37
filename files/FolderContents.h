#pragma once

#include "platform/DriveTable.h"
#include "platform/FolderListing.h"

#include <QStringView>

namespace corvane {

// What the window lists of a folder: its plain files whose names match the pattern text, in
// file list order.
FolderListing ListedFiles(const DriveTable& drives, QStringView folder, QStringView pattern);

// Its subfolders.
FolderListing ListedFolders(const DriveTable& drives, QStringView folder);

} // namespace corvane
