#pragma once

#include <QByteArray>
#include <sys/types.h>

namespace corvane {

// The few system calls behind the file operations, so that a test can make any of them fail
// with an errno the machine cannot produce on demand. Each returns 0 (or a count, or a file
// descriptor) on success and -errno on failure.
class SystemCalls {
public:
    virtual ~SystemCalls() = default;

    virtual int renameNoReplace(const QByteArray& from, const QByteArray& to) const;
    virtual int link(const QByteArray& from, const QByteArray& to) const;
    virtual int unlink(const QByteArray& path) const;
    virtual int open(const QByteArray& path, int flags) const;
    virtual ssize_t write(int fd, const char* data, size_t size) const;
    virtual int truncate(int fd, off_t size) const;
    virtual int sync(int fd) const;
    virtual int close(int fd) const;

    // The real calls; stateless, shared by every drive table that is not under test.
    static const SystemCalls& Real();
};

} // namespace corvane
