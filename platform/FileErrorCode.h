// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace corvane {

// The code of a failed file or drive operation; 0 for none. A type of its own, so that an errno,
// a negated errno and a code are never taken for one another.
enum class FileErrorCode : int {};

inline constexpr FileErrorCode kNoError{0};
inline constexpr FileErrorCode kNameTooLong{6};        // a name past the pipeline's limit
inline constexpr FileErrorCode kBadFileName{52};       // cannot be a file name
inline constexpr FileErrorCode kFileNotFound{53};      // the file to open or rename is missing
inline constexpr FileErrorCode kDeviceIoError{57};     // any other device or file system failure
inline constexpr FileErrorCode kFileExists{58};        // the new name is taken
inline constexpr FileErrorCode kDiskFull{61};          // the disk or quota is full
inline constexpr FileErrorCode kLogUnreadable{62};     // a record of the undo log is cut short
inline constexpr FileErrorCode kDeviceUnavailable{68}; // the drive is unavailable
inline constexpr FileErrorCode kDiskNotReady{71};      // no medium in the drive
inline constexpr FileErrorCode kAccessDenied{75};      // access to the path or file refused
inline constexpr FileErrorCode kPathNotFound{76};      // the folder does not exist
// This program's own, past the classic table.
inline constexpr FileErrorCode kLogNotAFile{1001};    // the undo log is a link, a FIFO, a device...
inline constexpr FileErrorCode kLogTooLarge{1002};    // larger than any batch writes
inline constexpr FileErrorCode kFolderReplaced{1003}; // not the folder the batch listed or ran in
inline constexpr FileErrorCode kLogReplaced{1004};    // not the log this window's batch wrote
inline constexpr FileErrorCode kVolumeCaches{1005};   // the volume could rename over a file
inline constexpr FileErrorCode kOwnFiles{1006};       // the program's own state folder
inline constexpr FileErrorCode kLogInUse{1007};       // another window's batch writes the log

} // namespace corvane
