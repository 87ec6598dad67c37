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

// The one open-file slot through which the undo log is written. Every record reaches the
// operating system before write() returns, so that a killed program leaves each one on disk:
// where the volume writes reserved blocks in place, through a window onto the file (a shared
// mapping of one step, reserved before it is mapped, that moves on as the records grow), the
// file cut to its true length when the slot is closed; elsewhere, or once a step cannot be had,
// by one write a record. The file is synced to disk once, when the slot is closed. Closing a
// slot that is not open does nothing. Only a plain file is opened: a symbolic link, a FIFO, a
// device or a folder is refused untouched; so is a log another open slot holds.
class LogFile {
public:
    // Keep opens the file as it is, making it when missing, only to be cut.
    enum class Mode { WriteFromEmpty, Keep };

    explicit LogFile(const DriveTable& drives) : m_drives(drives) {}
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    FileErrorCode open(QStringView path, Mode mode);

    // Writes all of `bytes` or, on a failure, none of them.
    FileErrorCode write(QByteArrayView bytes);

    // Cuts the file to its first `size` bytes.
    FileErrorCode cut(qint64 size);

    FileErrorCode close();

    // Which file the slot was opened on.
    EntryId id() const { return m_id; }

private:
    // Copies `bytes` to the end of the records through the window; false where it cannot.
    bool copyThroughWindow(QByteArrayView bytes);
    // Maps the step of the file that holds the offset `at`, reserving it first.
    bool moveWindow(qint64 at);

    const DriveTable& m_drives;
    int m_fd = -1;
    QByteArray m_folder;
    qint64 m_size = 0; // the bytes written
    EntryId m_id;
    bool m_mappable = false;
    char* m_window = nullptr;
    qint64 m_windowAt = 0; // where in the file the window begins
    qint64 m_reserved = 0; // the length the file was grown to, or kept at when emptied
};

// How much the log grows at a time, and how much of it is mapped: a few steps for a batch of ten
// thousand files.
inline constexpr qint64 kLogGrowthStep = 256 << 10;

struct FileRead {
    FileErrorCode code = kNoError;
    std::optional<EntryId> id; // which file was read
};

// Hands the plain file at a drive path to `take` piece by piece, so that it is never held whole;
// refused, before any piece, when it is larger than `limit`.
FileRead ReadInPieces(const DriveTable& drives, QStringView path, qsizetype limit,
                      const std::function<void(QByteArrayView)>& take);

} // namespace corvane
