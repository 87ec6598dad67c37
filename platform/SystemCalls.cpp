#include "platform/SystemCalls.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace corvane {
namespace {

template <typename Result> Result OrErrno(Result result) {
    return result < 0 ? -errno : result;
}

} // namespace

int SystemCalls::renameNoReplace(const QByteArray& from, const QByteArray& to) const {
    return OrErrno(
        ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE));
}

int SystemCalls::link(const QByteArray& from, const QByteArray& to) const {
    return OrErrno(::link(from.constData(), to.constData()));
}

int SystemCalls::unlink(const QByteArray& path) const {
    return OrErrno(::unlink(path.constData()));
}

int SystemCalls::open(const QByteArray& path, int flags) const {
    return OrErrno(::open(path.constData(), flags | O_CLOEXEC, 0644));
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

const SystemCalls& SystemCalls::Real() {
    static const SystemCalls real;
    return real;
}

} // namespace corvane
