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
    m_fd = opened.fd;
    m_size = opened.size;
    m_id = opened.id;
    if (mode == Mode::Keep)
        return kNoError;
    if (const FileErrorCode emptied = cut(0); emptied != kNoError) {
        close();
        return emptied;
    }
    m_mappable = WritesInPlace(m_drives.system(), m_fd);
    return kNoError;
}

bool LogFile::grow(qsizetype more) {
    if (!m_mappable)
        return false;
    const SystemCalls& system = m_drives.system();
    size_t length = m_mapped;
    while (length < size_t(m_size + more))
        length += kLogGrowthStep;
    const bool reserved = system.allocate(m_fd, off_t(m_mapped), off_t(length - m_mapped)).ok();
    if (reserved)
        m_reserved = std::max(m_reserved, length);
    // A step that cannot be had leaves the mapping as it was, and the records after it are
    // written instead.
    if (!reserved || !system.map(m_fd, m_mapping, m_mapped, length).ok()) {
        m_mappable = false;
        return false;
    }
    m_mapped = length;
    return true;
}

FileErrorCode LogFile::write(QByteArrayView bytes) {
    if ((m_mapping && size_t(m_size + bytes.size()) <= m_mapped) || grow(bytes.size())) {
        std::memcpy(m_mapping + m_size, bytes.data(), size_t(bytes.size()));
        m_size += bytes.size();
        return kNoError;
    }
    // A half-written record is cut off, so the file only ever holds whole ones.
    const SysResult written = WriteWhole(m_drives.system(), m_fd, bytes, m_size);
    if (!written.ok())
        return CodeForFailure(m_drives.system(), written, m_folder);
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
    // What the mapping holds is in the file already: a failed unmap loses none of it.
    if (m_mapping)
        system.unmap(m_mapping, m_mapped);
    // The room reserved past the records is given back.
    const SysResult trimmed =
        m_reserved > size_t(m_size) ? system.truncate(m_fd, m_size) : SysResult{};
    const SysResult synced = system.sync(m_fd);
    const SysResult closed = system.close(m_fd);
    m_fd = -1;
    m_mapping = nullptr;
    m_mapped = 0;
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
