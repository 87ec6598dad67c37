#include "platform/LogFile.h"

#include "platform/HostPaths.h"

#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

LogFile::~LogFile() {
    close();
}

FileErrorCode LogFile::open(QStringView path, Mode mode) {
    close();
    const std::optional<QByteArray> host = m_drives.hostPath(path);
    if (!host)
        return UnmappableCode(m_drives, path);
    m_folder = ParentOf(*host);
    const int flags = O_WRONLY | O_CREAT | (mode == Mode::Append ? O_APPEND : O_TRUNC);
    const int fd = m_drives.system().open(*host, flags);
    if (fd < 0)
        return CodeForFailure(-fd, m_folder);
    struct stat info {};
    m_fd = fd;
    m_size = ::fstat(fd, &info) == 0 ? info.st_size : 0;
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

FileContents ReadWholeFile(const DriveTable& drives, QStringView path) {
    FileContents contents;
    const std::optional<QByteArray> host = drives.hostPath(path);
    if (!host) {
        contents.code = UnmappableCode(drives, path);
        return contents;
    }
    const int fd = drives.system().open(*host, O_RDONLY);
    if (fd < 0) {
        contents.code = CodeForFailure(-fd, ParentOf(*host));
        return contents;
    }
    const ReadBytes read = ReadUpTo(drives.system(), fd, std::numeric_limits<qsizetype>::max() - 1);
    drives.system().close(fd);
    contents.bytes = read.bytes;
    if (read.error < 0)
        contents.code = kDeviceIoError;
    return contents;
}

} // namespace corvane
