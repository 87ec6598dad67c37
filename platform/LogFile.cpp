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

FileContents ReadWholeFile(const DriveTable& drives, QStringView path, qsizetype limit) {
    FileContents contents;
    const DriveTable::Resolved resolved = drives.resolve(path);
    const std::optional<QByteArray>& host = resolved.host;
    if (!host) {
        contents.code = resolved.code;
        return contents;
    }
    const OpenedFile opened = OpenPlainFile(drives.system(), *host, O_RDONLY);
    contents.code = opened.code == kNoError && opened.size > limit ? kLogTooLarge : opened.code;
    if (opened.fd < 0 || contents.code != kNoError) {
        if (opened.fd >= 0)
            drives.system().close(opened.fd);
        return contents;
    }
    const ReadBytes read = ReadUpTo(drives.system(), opened.fd, limit);
    drives.system().close(opened.fd);
    contents.bytes = read.bytes;
    contents.id = opened.id;
    if (read.error < 0)
        contents.code = kDeviceIoError;
    else if (read.bytes.size() > limit)
        contents.code = kLogTooLarge;
    return contents;
}

} // namespace corvane
