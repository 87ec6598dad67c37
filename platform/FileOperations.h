#pragma once

#include "platform/DriveTable.h"
#include "platform/FileErrorCode.h"

#include <QByteArray>
#include <QStringView>
#include <optional>

namespace corvane {

// Whether a name can be given to a file: an entry name free of "\" and of the double quote,
// which the undo log could not carry.
bool IsBareFileName(QStringView name);

// A folder (a drive path) resolved to its host folder once, for the many renames of a batch.
class FolderOnHost {
public:
    FolderOnHost(const DriveTable& drives, QStringView folder);

    // Renames `oldName` to `newName` within the folder. Never replaces an existing file; the
    // same name twice is a success that does nothing; a name that differs only in letter case
    // takes its new spelling also on a volume that ignores case.
    FileErrorCode rename(QStringView oldName, QStringView newName) const;

private:
    const DriveTable& m_drives;
    std::optional<QByteArray> m_host;
    FileErrorCode m_unmappable = kNoError;
};

inline FileErrorCode RenameInFolder(const DriveTable& drives, QStringView folder,
                                    QStringView oldName, QStringView newName) {
    return FolderOnHost(drives, folder).rename(oldName, newName);
}

// Deletes the file at a drive path.
FileErrorCode DeleteFile(const DriveTable& drives, QStringView path);

} // namespace corvane
