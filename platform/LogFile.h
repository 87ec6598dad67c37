// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DriveTable.h"
#include "platform/EntryId.h"
#include "platform/FileErrorCode.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>
#include <functional>
#include <optional>

namespace corvane {

// The one open-file slot through which the undo log is written. Every write goes straight to
// the operating system; the file is synced to disk once, when the slot is closed. Closing a
// slot that is not open does nothing. Only a plain file is opened: a symbolic link, a FIFO, a
// device or a folder is refused untouched.
class LogFile {
public:
    enum class Mode { WriteFromEmpty, Append };

    explicit LogFile(const DriveTable& drives) : m_drives(drives) {}
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    FileErrorCode open(QStringView path, Mode mode);

    // Writes all of `bytes` or, on a failure, none of them.
    FileErrorCode write(QByteArrayView bytes);

    FileErrorCode close();

    // Which file the slot was opened on.
    EntryId id() const { return m_id; }

private:
    const DriveTable& m_drives;
    int m_fd = -1;
    QByteArray m_folder;
    off_t m_size = 0;
    EntryId m_id;
};

struct FileRead {
    FileErrorCode code = kNoError;
    std::optional<EntryId> id; // which file was read
};

// Hands the plain file at a drive path to `take` piece by piece, so that it is never held whole;
// refused, before any piece, when it is larger than `limit`.
FileRead ReadInPieces(const DriveTable& drives, QStringView path, qsizetype limit,
                      const std::function<void(QByteArrayView)>& take);

} // namespace corvane
