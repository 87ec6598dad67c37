// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace corvane {

// An entry of a folder as the file layer sees it: its name and whether it is a plain file or a
// folder, following a symbolic link.
struct FolderEntry {
    enum class Kind { File, Folder, Other };
    QByteArray name;
    Kind kind = Kind::Other;
};

// The system calls behind the file operations, so that a test can make any of them fail with an
// errno the machine cannot produce on demand. Each returns 0 (or a count, or a file descriptor)
// on success and -errno on failure. A path is taken relative to the open folder `dir`, or as it
// stands with AT_FDCWD.
class SystemCalls {
public:
    virtual ~SystemCalls() = default;

    virtual int renameNoReplace(int dir, const QByteArray& from, const QByteArray& to) const;
    // A plain rename, which replaces its target: only ever used onto a name this program has
    // just reserved.
    virtual int renameOver(int dir, const QByteArray& from, const QByteArray& to) const;
    virtual int link(int dir, const QByteArray& from, const QByteArray& to) const;
    virtual int unlink(int dir, const QByteArray& path) const;
    virtual int linkStatus(int dir, const QByteArray& path, struct stat& info) const;
    // The status of what a path names, following a symbolic link.
    virtual int status(int dir, const QByteArray& path, struct stat& info) const;
    virtual int open(int dir, const QByteArray& path, int flags) const;
    virtual ssize_t read(int fd, char* data, size_t size) const;
    virtual ssize_t write(int fd, const char* data, size_t size) const;
    virtual int truncate(int fd, off_t size) const;
    virtual int sync(int fd) const;
    virtual int close(int fd) const;
    // An exclusive advisory lock on an open file, released when it is closed; `wait` blocks
    // until it is free, else a held lock fails with -EWOULDBLOCK.
    virtual int lock(int fd, bool wait) const;
    // The entries of a folder, "." and ".." left out.
    virtual int readFolder(int dir, const QByteArray& folder, QList<FolderEntry>& entries) const;

    // The real calls; stateless, shared by every drive table that is not under test.
    static const SystemCalls& Real();
};

// Writes all of `bytes`; on a failure cuts the file back to `size`, so no half entry or record
// stays. 0 or -errno.
int WriteWhole(const SystemCalls& system, int fd, QByteArrayView bytes, off_t size);

struct ReadBytes {
    int error = 0; // 0 or -errno
    QByteArray bytes;
};

// Reads from `fd` to its end, or until more than `limit` bytes have come.
ReadBytes ReadUpTo(const SystemCalls& system, int fd, qsizetype limit);

} // namespace corvane
