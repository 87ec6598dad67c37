// SPDX-License-Identifier: GPL-3.0-or-later
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

int SystemCalls::renameNoReplace(int dir, const QByteArray& from, const QByteArray& to) const {
    return OrErrno(::renameat2(dir, from.constData(), dir, to.constData(), RENAME_NOREPLACE));
}

int SystemCalls::renameOver(int dir, const QByteArray& from, const QByteArray& to) const {
    return OrErrno(::renameat(dir, from.constData(), dir, to.constData()));
}

int SystemCalls::link(int dir, const QByteArray& from, const QByteArray& to) const {
    return OrErrno(::linkat(dir, from.constData(), dir, to.constData(), 0));
}

int SystemCalls::unlink(int dir, const QByteArray& path) const {
    return OrErrno(::unlinkat(dir, path.constData(), 0));
}

int SystemCalls::linkStatus(int dir, const QByteArray& path, struct stat& info) const {
    return OrErrno(::fstatat(dir, path.constData(), &info, AT_SYMLINK_NOFOLLOW));
}

int SystemCalls::status(int dir, const QByteArray& path, struct stat& info) const {
    return OrErrno(::fstatat(dir, path.constData(), &info, 0));
}

int SystemCalls::open(int dir, const QByteArray& path, int flags) const {
    return OrErrno(::openat(dir, path.constData(), flags | O_CLOEXEC, 0644));
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

int SystemCalls::readFolder(int at, const QByteArray& folder, QList<FolderEntry>& entries) const {
    const int fd = ::openat(at, folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -errno;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(fd), ::closedir);
    if (!dir) {
        ::close(fd);
        return -errno;
    }
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
