// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LogFile.h"

#include "platform/HostPaths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    const int fd = system.open(AT_FDCWD, host, flags | O_NOFOLLOW | O_NONBLOCK);
    if (fd == -ELOOP || fd == -EISDIR || fd == -ENXIO) {
        opened.code = kLogNotAFile;
        return opened;
    }
    if (fd < 0) {
        opened.code = CodeForFailure(-fd, ParentOf(host));
        return opened;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        system.close(fd);
        opened.code = kLogNotAFile;
        return opened;
    }
    opened.fd = fd;
    opened.size = info.st_size;
    opened.id = {info.st_dev, info.st_ino};
    return opened;
}

} // namespace

LogFile::~LogFile() {
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
    if (mode == Mode::WriteFromEmpty) {
        if (const int emptied = m_drives.system().truncate(m_fd, 0); emptied < 0) {
            close();
            return CodeForFailure(-emptied, m_folder);
        }
        m_size = 0;
    }
    return kNoError;
}

FileErrorCode LogFile::write(QByteArrayView bytes) {
    // A half-written record is cut off, so the file only ever holds whole ones.
    if (const int written = WriteWhole(m_drives.system(), m_fd, bytes, m_size); written < 0)
        return CodeForFailure(-written, m_folder);
    m_size += bytes.size();
    return kNoError;
}

FileErrorCode LogFile::close() {
    if (m_fd < 0)
        return kNoError;
    const SystemCalls& system = m_drives.system();
    const int synced = system.sync(m_fd);
    const int closed = system.close(m_fd);
    m_fd = -1;
    const int failure = synced < 0 ? synced : closed;
    return failure < 0 ? CodeForFailure(-failure, m_folder) : kNoError;
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
    char piece[65536];
    for (qsizetype taken = 0; opened.fd >= 0 && read.code == kNoError;) {
        const ssize_t count = system.read(opened.fd, piece, sizeof piece);
        if (count <= 0) {
            read.code = count < 0 ? kDeviceIoError : kNoError;
            break;
        }
        // A file that grows while it is read is refused all the same.
        taken += count;
        if (taken > limit)
            read.code = kLogTooLarge;
        else
            take(QByteArrayView(piece, count));
    }
    if (opened.fd >= 0)
        system.close(opened.fd);
    return read;
}

} // namespace corvane
