#include "files/FolderContents.h"

#include "platform/FilePattern.h"

namespace corvane {

FolderListing ListedFiles(const DriveTable& drives, QStringView folder, QStringView pattern) {
    return ListFiles(drives, folder, FilePattern(pattern));
}

FolderListing ListedFolders(const DriveTable& drives, QStringView folder) {
    return ListFolders(drives, folder);
}

} // namespace corvane
