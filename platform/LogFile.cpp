// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LogFile.h"

#include "platform/HostPaths.h"

#include <cerrno>
#include <fcntl.h>
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
    const OpenedFile opened =
        OpenPlainFile(m_drives.system(), *host, O_WRONLY | O_CREAT | O_APPEND);
    if (opened.code != kNoError)
        return opened.code;
    m_fd = opened.fd;
    m_size = opened.size;
    m_id = opened.id;
    if (mode == Mode::WriteFromEmpty) {
        if (const SysResult emptied = m_drives.system().truncate(m_fd, 0); !emptied.ok()) {
            close();
            return CodeForFailure(m_drives.system(), emptied, m_folder);
        }
        m_size = 0;
    }
    return kNoError;
}

FileErrorCode LogFile::write(QByteArrayView bytes) {
    // A half-written record is cut off, so the file only ever holds whole ones.
    const SysResult written = WriteWhole(m_drives.system(), m_fd, bytes, m_size);
    if (!written.ok())
        return CodeForFailure(m_drives.system(), written, m_folder);
    m_size += bytes.size();
    return kNoError;
}

FileErrorCode LogFile::close() {
    if (m_fd < 0)
        return kNoError;
    const SystemCalls& system = m_drives.system();
    const SysResult synced = system.sync(m_fd);
    const SysResult closed = system.close(m_fd);
    m_fd = -1;
    const SysResult failure = synced.ok() ? closed : synced;
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
