// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LogFile.h"

#include "platform/HostPaths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>

namespace corvane {
namespace {

struct OpenedFile {
    int fd = -1;
    FileErrorCode code = kNoError;
    off_t size = 0;
    bool whole = false; // every block of its size is on the volume: it holds no hole
    EntryId id;
};

// Opens the file at `host` only if it is a plain file: no symbolic link is followed, and a FIFO
// or a device neither blocks nor is touched.
OpenedFile OpenPlainFile(const SystemCalls& system, const QByteArray& host, int flags) {
    OpenedFile opened;
    const SysResult fd = system.open(AT_FDCWD, host, flags | O_NOFOLLOW | O_NONBLOCK);
    if (fd.error == ELOOP || fd.error == EISDIR || fd.error == ENXIO) {
        opened.code = kLogNotAFile;
        return opened;
    }
    if (!fd.ok()) {
        opened.code = CodeForFailure(system, fd, ParentOf(host));
        return opened;
    }
    struct stat info {};
    const SysResult status = system.status(fd.fd(), {}, info);
    if (!status.ok() || !S_ISREG(info.st_mode)) {
        // Nothing was written: a failed close loses nothing.
        system.close(fd.fd());
        opened.code = status.ok() ? kLogNotAFile : CodeForFailure(system, status, ParentOf(host));
        return opened;
    }
    opened.fd = fd.fd();
    opened.size = info.st_size;
    opened.whole = info.st_blocks * 512 >= info.st_size;
    opened.id = EntryId::Of(info);
    return opened;
}

// Where a block once reserved is written in place, a write through a mapping never needs new
// room; elsewhere (copy-on-write, network and FUSE volumes) a full volume would answer it with a
// signal instead of an error.
bool WritesInPlace(const SystemCalls& system, int fd) {
    qint64 type = 0;
    return system.volumeType(fd, type).ok() &&
           (type == EXT4_SUPER_MAGIC || type == XFS_SUPER_MAGIC || type == TMPFS_MAGIC);
}

} // namespace

LogFile::~LogFile() {
    // A batch closes its log itself and reports how; here only a slot left open is let go.
    close();
}

FileErrorCode LogFile::open(QStringView path, Mode mode) {
    close();
    const DriveTable::Resolved resolved = m_drives.resolve(path);
    const std::optional<QByteArray>& host = resolved.host;
    if (!host)
        return resolved.code;
    m_folder = ParentOf(*host);
    // Emptied only once it is known to be a plain file.
    const OpenedFile opened = OpenPlainFile(m_drives.system(), *host, O_RDWR | O_CREAT);
    if (opened.code != kNoError)
        return opened.code;
    // One batch at a time writes the log, from whichever window or machine: the lock is the
    // volume's, so on NFS it holds against the home folder's other clients too. A volume that
    // keeps no locks at all does not stop the batch.
    if (m_drives.system().lock(opened.fd, false).error == EWOULDBLOCK) {
        m_drives.system().close(opened.fd);
        return kLogInUse;
    }
    m_fd = opened.fd;
    m_size = opened.size;
    m_id = opened.id;
    if (mode == Mode::Keep)
        return kNoError;
    // The last batch's blocks are zeroed and kept for this one's records, where the volume can:
    // far quicker than giving them back and taking them again. A kill leaves zeros after the
    // records, as it does in a step reserved and not yet filled.
    if (opened.size > 0 && opened.whole && m_drives.system().zero(m_fd, 0, opened.size).ok()) {
        m_reserved = opened.size;
        m_size = 0;
    } else if (const FileErrorCode emptied = cut(0); emptied != kNoError) {
        close();
        return emptied;
    }
    m_mappable = WritesInPlace(m_drives.system(), m_fd);
    return kNoError;
}

bool LogFile::moveWindow(qint64 at) {
    const SystemCalls& system = m_drives.system();
    // What the window holds is in the file already: a failed unmap loses none of it.
    if (m_window)
        system.unmap(m_window, kLogGrowthStep);
    m_window = nullptr;
    const qint64 start = at - at % kLogGrowthStep;
    const bool reserved =
        start + kLogGrowthStep <= m_reserved || system.allocate(m_fd, start, kLogGrowthStep).ok();
    if (reserved)
        m_reserved = std::max(m_reserved, start + kLogGrowthStep);
    // A step that cannot be had ends the mapping: the records after it are written instead.
    m_mappable = reserved && system.map(m_fd, start, kLogGrowthStep, m_window).ok();
    m_windowAt = start;
    return m_mappable;
}

bool LogFile::copyThroughWindow(QByteArrayView bytes) {
    for (qint64 at = m_size; !bytes.isEmpty();) {
        if (!m_mappable || ((!m_window || at >= m_windowAt + kLogGrowthStep) && !moveWindow(at)))
            return false;
        const qsizetype taken = std::min<qsizetype>(bytes.size(), m_windowAt + kLogGrowthStep - at);
        std::memcpy(m_window + (at - m_windowAt), bytes.data(), size_t(taken));
        bytes = bytes.sliced(taken);
        at += taken;
    }
    return true;
}

FileErrorCode LogFile::write(QByteArrayView bytes) {
    // A record begun in the window and ended by a failed step is written over whole.
    if (!copyThroughWindow(bytes)) {
        // A half-written record is cut off, so the file only ever holds whole ones.
        const SysResult written = WriteWhole(m_drives.system(), m_fd, bytes, m_size);
        if (!written.ok())
            return CodeForFailure(m_drives.system(), written, m_folder);
    }
    m_size += bytes.size();
    return kNoError;
}

FileErrorCode LogFile::cut(qint64 size) {
    const SysResult cut = m_drives.system().truncate(m_fd, size);
    if (!cut.ok())
        return CodeForFailure(m_drives.system(), cut, m_folder);
    m_size = size;
    return kNoError;
}

FileErrorCode LogFile::close() {
    if (m_fd < 0)
        return kNoError;
    const SystemCalls& system = m_drives.system();
    // What the window holds is in the file already: a failed unmap loses none of it.
    if (m_window)
        system.unmap(m_window, kLogGrowthStep);
    // The room reserved past the records is given back.
    const SysResult trimmed = m_reserved > m_size ? system.truncate(m_fd, m_size) : SysResult{};
    const SysResult synced = system.sync(m_fd);
    const SysResult closed = system.close(m_fd);
    m_fd = -1;
    m_window = nullptr;
    m_reserved = 0;
    m_mappable = false;
    const SysResult failure = !trimmed.ok() ? trimmed : !synced.ok() ? synced : closed;
    return failure.ok() ? kNoError : CodeForFailure(system, failure, m_folder);
}

FileRead ReadInPieces(const DriveTable& drives, QStringView path, qsizetype limit,
                      const std::function<void(QByteArrayView)>& take) {
    FileRead read;
    const DriveTable::Resolved resolved = drives.resolve(path);
    if (!resolved.host) {
        read.code = resolved.code;
        return read;
    }
    const SystemCalls& system = drives.system();
    const OpenedFile opened = OpenPlainFile(system, *resolved.host, O_RDONLY);
    read.code = opened.code == kNoError && opened.size > limit ? kLogTooLarge : opened.code;
    read.id = opened.id;
    if (read.code == kNoError) {
        // A file that grows while it is read is refused all the same.
        const SysResult pieces = ReadPieces(system, opened.fd, limit, take);
        read.code = pieces.error == EFBIG ? kLogTooLarge : pieces.ok() ? kNoError : kDeviceIoError;
    }
    // Only read: a failed close loses nothing.
    if (opened.fd >= 0)
        system.close(opened.fd);
    return read;
}

} // namespace corvane
