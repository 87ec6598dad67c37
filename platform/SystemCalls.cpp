#include "platform/SystemCalls.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

namespace corvane {
namespace {

template <typename Result> Result OrErrno(Result result) {
    return result < 0 ? -errno : result;
}

FolderEntry::Kind KindOf(int folderFd, const dirent& entry) {
    unsigned char type = entry.d_type;
    if (type == DT_UNKNOWN || type == DT_LNK) {
        struct stat info {};
        if (::fstatat(folderFd, entry.d_name, &info, 0) != 0)
            return FolderEntry::Kind::Other;
        type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
    }
    switch (type) {
    case DT_REG:
        return FolderEntry::Kind::File;
    case DT_DIR:
        return FolderEntry::Kind::Folder;
    default:
        return FolderEntry::Kind::Other;
    }
}

} // namespace

int SystemCalls::renameNoReplace(const QByteArray& from, const QByteArray& to) const {
    return OrErrno(
        ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE));
}

int SystemCalls::renameOver(const QByteArray& from, const QByteArray& to) const {
    return OrErrno(::rename(from.constData(), to.constData()));
}

int SystemCalls::link(const QByteArray& from, const QByteArray& to) const {
    return OrErrno(::link(from.constData(), to.constData()));
}

int SystemCalls::unlink(const QByteArray& path) const {
    return OrErrno(::unlink(path.constData()));
}

int SystemCalls::linkStatus(const QByteArray& path, struct stat& info) const {
    return OrErrno(::lstat(path.constData(), &info));
}

int SystemCalls::open(const QByteArray& path, int flags) const {
    return OrErrno(::open(path.constData(), flags | O_CLOEXEC, 0644));
}

ssize_t SystemCalls::read(int fd, char* data, size_t size) const {
    return OrErrno(::read(fd, data, size));
}

ssize_t SystemCalls::write(int fd, const char* data, size_t size) const {
    return OrErrno(::write(fd, data, size));
}

int SystemCalls::truncate(int fd, off_t size) const {
    return OrErrno(::ftruncate(fd, size));
}

int SystemCalls::sync(int fd) const {
    return OrErrno(::fsync(fd));
}

int SystemCalls::close(int fd) const {
    return OrErrno(::close(fd));
}

int SystemCalls::lock(int fd, bool wait) const {
    return OrErrno(::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB)));
}

int SystemCalls::readFolder(const QByteArray& folder, QList<FolderEntry>& entries) const {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.constData()), ::closedir);
    if (!dir)
        return -errno;
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            entries.append({name, KindOf(::dirfd(dir.get()), *entry)});
        errno = 0;
    }
    return -errno;
}

int WriteWhole(const SystemCalls& system, int fd, QByteArrayView bytes, off_t size) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t result =
            system.write(fd, bytes.data() + written, size_t(bytes.size() - written));
        if (result < 0) {
            if (written > 0)
                system.truncate(fd, size);
            return int(result);
        }
        written += result;
    }
    return 0;
}

ReadBytes ReadUpTo(const SystemCalls& system, int fd, qsizetype limit) {
    ReadBytes read;
    char buffer[65536];
    while (read.bytes.size() <= limit) {
        const ssize_t count = system.read(fd, buffer, sizeof buffer);
        if (count <= 0) {
            read.error = int(count);
            break;
        }
        read.bytes.append(buffer, count);
    }
    return read;
}

const SystemCalls& SystemCalls::Real() {
    static const SystemCalls real;
    return real;
}

} // namespace corvane
