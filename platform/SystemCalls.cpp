// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SystemCalls.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <linux/falloc.h>
#include <memory>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/vfs.h>
#include <unistd.h>

// The one place where the program meets the host's system calls.

namespace corvane {
namespace {

template <typename Result> SysResult Answer(Result result) {
    return result < 0 ? SysResult::Failed(errno) : SysResult{0, qint64(result)};
}

FolderEntry::Kind KindOf(int folderFd, const dirent& entry) {
    unsigned char type = entry.d_type;
    if (type == DT_UNKNOWN || type == DT_LNK) {
        struct stat info {};
        // An entry that cannot be looked at is neither a file nor a folder to list.
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

SysResult SystemCalls::renameNoReplace(int dir, const QByteArray& from,
                                       const QByteArray& to) const {
    return Answer(::renameat2(dir, from.constData(), dir, to.constData(), RENAME_NOREPLACE));
}

SysResult SystemCalls::renameOver(int dir, const QByteArray& from, const QByteArray& to) const {
    return Answer(::renameat(dir, from.constData(), dir, to.constData()));
}

SysResult SystemCalls::link(int dir, const QByteArray& from, const QByteArray& to) const {
    return Answer(::linkat(dir, from.constData(), dir, to.constData(), 0));
}

SysResult SystemCalls::unlink(int dir, const QByteArray& path) const {
    return Answer(::unlinkat(dir, path.constData(), 0));
}

SysResult SystemCalls::linkStatus(int dir, const QByteArray& path, struct stat& info) const {
    return Answer(::fstatat(dir, path.constData(), &info, AT_SYMLINK_NOFOLLOW));
}

SysResult SystemCalls::askVolume(int dir, const QByteArray& path) const {
    struct statx info {};
    return Answer(::statx(dir, path.constData(), AT_SYMLINK_NOFOLLOW | AT_STATX_FORCE_SYNC,
                          STATX_TYPE, &info));
}

SysResult SystemCalls::status(int dir, const QByteArray& path, struct stat& info) const {
    return Answer(::fstatat(dir, path.constData(), &info, path.isEmpty() ? AT_EMPTY_PATH : 0));
}

SysResult SystemCalls::open(int dir, const QByteArray& path, int flags) const {
    return Answer(::openat(dir, path.constData(), flags | O_CLOEXEC, 0644));
}

SysResult SystemCalls::read(int fd, char* data, size_t size) const {
    return Answer(::read(fd, data, size));
}

SysResult SystemCalls::write(int fd, const char* data, size_t size, off_t at) const {
    return Answer(::pwrite(fd, data, size, at));
}

SysResult SystemCalls::allocate(int fd, off_t at, off_t length) const {
    // Not posix_fallocate: where a volume cannot reserve, it would write zeros block by block.
    return Answer(::fallocate(fd, 0, at, length));
}

SysResult SystemCalls::zero(int fd, off_t at, off_t length) const {
    return Answer(::fallocate(fd, FALLOC_FL_ZERO_RANGE | FALLOC_FL_KEEP_SIZE, at, length));
}

SysResult SystemCalls::map(int fd, off_t at, size_t length, char*& data) const {
    void* const mapped = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, at);
    if (mapped == MAP_FAILED)
        return SysResult::Failed(errno);
    if (::madvise(mapped, length, MADV_POPULATE_WRITE) != 0) {
        const int error = errno;
        ::munmap(mapped, length);
        return SysResult::Failed(error);
    }
    data = static_cast<char*>(mapped);
    return {};
}

SysResult SystemCalls::unmap(char* data, size_t length) const {
    return Answer(::munmap(data, length));
}

SysResult SystemCalls::volumeType(int fd, qint64& type) const {
    struct statfs info {};
    const SysResult answered = Answer(::fstatfs(fd, &info));
    type = info.f_type;
    return answered;
}

SysResult SystemCalls::truncate(int fd, off_t size) const {
    return Answer(::ftruncate(fd, size));
}

SysResult SystemCalls::sync(int fd) const {
    return Answer(::fsync(fd));
}

SysResult SystemCalls::syncVolume(int fd) const {
    return Answer(::syncfs(fd));
}

SysResult SystemCalls::close(int fd) const {
    return Answer(::close(fd));
}

SysResult SystemCalls::lock(int fd, bool wait) const {
    return Answer(::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB)));
}

SysResult SystemCalls::readFolder(int at, const QByteArray& folder, const EntryTaker& take) const {
    const int fd = ::openat(at, folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return SysResult::Failed(errno);
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(fd), ::closedir);
    if (!dir) {
        const int error = errno;
        ::close(fd);
        return SysResult::Failed(error);
    }
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        // Through a pointer: a FUSE volume's name may run past d_name's declared 256 bytes.
        const QByteArrayView name(static_cast<const char*>(entry->d_name));
        if (name != "." && name != "..")
            take(name, KindOf(::dirfd(dir.get()), *entry));
        errno = 0;
    }
    return errno == 0 ? SysResult{} : SysResult::Failed(errno);
}

SysResult SystemCalls::makeFolder(const QByteArray& path) const {
    return Answer(::mkdir(path.constData(), 0700));
}

SysResult SystemCalls::nameLimit(const QByteArray& path, qint64& limit) const {
    struct statfs info {};
    const SysResult answered = Answer(::statfs(path.constData(), &info));
    limit = info.f_namelen;
    return answered;
}

SysResult ReadFolder(const SystemCalls& system, int dir, const QByteArray& folder,
                     QList<FolderEntry>& entries) {
    return system.readFolder(dir, folder, [&](QByteArrayView name, FolderEntry::Kind kind) {
        entries.append({name.toByteArray(), kind});
    });
}

SysResult WriteWhole(const SystemCalls& system, int fd, QByteArrayView bytes, off_t size) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const SysResult result = system.write(fd, bytes.data() + written,
                                              size_t(bytes.size() - written), size + written);
        if (!result.ok()) {
            // The cut may fail too; the caller reports the write's failure either way.
            if (written > 0)
                system.truncate(fd, size);
            return result;
        }
        written += result.value;
    }
    return {};
}

SysResult ReadPieces(const SystemCalls& system, int fd, qsizetype limit,
                     const std::function<void(QByteArrayView)>& take) {
    char piece[65536];
    for (qsizetype taken = 0;;) {
        const SysResult read = system.read(fd, piece, sizeof piece);
        if (!read.ok() || read.value == 0)
            return read;
        taken += read.value;
        if (taken > limit)
            return SysResult::Failed(EFBIG);
        take(QByteArrayView(piece, read.value));
    }
}

std::optional<QByteArray> ReadWhole(const SystemCalls& system, const QByteArray& path,
                                    qsizetype limit) {
    const SysResult opened = system.open(AT_FDCWD, path, O_RDONLY);
    if (!opened.ok())
        return std::nullopt;
    QByteArray bytes;
    const SysResult read =
        ReadPieces(system, opened.fd(), limit, [&](QByteArrayView piece) { bytes += piece; });
    // Only read: a failed close loses nothing.
    system.close(opened.fd());
    return read.ok() ? std::optional(bytes) : std::nullopt;
}

const SystemCalls& SystemCalls::Real() {
    static const SystemCalls real;
    return real;
}

} // namespace corvane
