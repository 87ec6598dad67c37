// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QtGlobal>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <sys/types.h>

namespace corvane {

// What a system call answered: success, with the count or the file descriptor it gave, or the
// errno it failed with.
struct SysResult {
    int error = 0;    // errno; 0 when the call succeeded
    qint64 value = 0; // on success: a count or a file descriptor

    static SysResult Failed(int error) { return {error, 0}; }
    bool ok() const { return error == 0; }
    int fd() const { return int(value); }
};

// An entry of a folder as the file layer sees it: its name and whether it is a plain file or a
// folder, following a symbolic link.
struct FolderEntry {
    enum class Kind { File, Folder, Other };
    QByteArray name;
    Kind kind = Kind::Other;
};

// Every system call of the program, so that a test can make any of them fail with an errno the
// machine cannot produce on demand. A path is taken relative to the open folder `dir`, or as it
// stands with AT_FDCWD.
class SystemCalls {
public:
    virtual ~SystemCalls() = default;

    virtual SysResult renameNoReplace(int dir, const QByteArray& from, const QByteArray& to) const;
    // A plain rename, which replaces its target: only ever used onto a name this program has
    // just reserved.
    virtual SysResult renameOver(int dir, const QByteArray& from, const QByteArray& to) const;
    virtual SysResult link(int dir, const QByteArray& from, const QByteArray& to) const;
    virtual SysResult unlink(int dir, const QByteArray& path) const;
    virtual SysResult linkStatus(int dir, const QByteArray& path, struct stat& info) const;
    // Asks the volume afresh whether a path names anything, past what its client has cached.
    virtual SysResult askVolume(int dir, const QByteArray& path) const;
    // The status of what a path names, following a symbolic link; an empty path is `dir` itself.
    virtual SysResult status(int dir, const QByteArray& path, struct stat& info) const;
    // The descriptor is the result's value.
    virtual SysResult open(int dir, const QByteArray& path, int flags) const;
    virtual SysResult read(int fd, char* data, size_t size) const;
    // Writes at the offset `at`, or at the end of a file opened to append.
    virtual SysResult write(int fd, const char* data, size_t size, off_t at) const;
    virtual SysResult truncate(int fd, off_t size) const;
    // Reserves room on the volume for the bytes [at, at + length) of a file, growing it.
    virtual SysResult allocate(int fd, off_t at, off_t length) const;
    // Makes the bytes [at, at + length) of a file read as zeros, keeping its size and its room.
    virtual SysResult zero(int fd, off_t at, off_t length) const;
    // Maps `length` bytes of a file from `at`, shared and writable, at `data`. Every page is
    // made writable at once, so that a volume without room answers here, not with a signal later.
    virtual SysResult map(int fd, off_t at, size_t length, char*& data) const;
    virtual SysResult unmap(char* data, size_t length) const;
    // The type of the volume that holds an open file, as statfs tells it.
    virtual SysResult volumeType(int fd, qint64& type) const;
    virtual SysResult sync(int fd) const;
    // Writes out everything of the volume that holds an open file, as syncfs does.
    virtual SysResult syncVolume(int fd) const;
    virtual SysResult close(int fd) const;
    // An exclusive advisory lock on an open file, released when it is closed; `wait` blocks
    // until it is free, else a held lock fails with EWOULDBLOCK.
    virtual SysResult lock(int fd, bool wait) const;
    // The entries of a folder, "." and ".." left out, each handed to `take` as it is read.
    using EntryTaker = std::function<void(QByteArrayView name, FolderEntry::Kind kind)>;
    virtual SysResult readFolder(int dir, const QByteArray& folder, const EntryTaker& take) const;
    virtual SysResult makeFolder(const QByteArray& path) const;
    // The longest name the volume holding `path` takes, in its own units.
    virtual SysResult nameLimit(const QByteArray& path, qint64& limit) const;

    // The real calls; stateless, shared by every drive table that is not under test.
    static const SystemCalls& Real();
};

// Writes all of `bytes` at `size`; on a failure cuts the file back to `size`, so no half entry or
// record stays.
SysResult WriteWhole(const SystemCalls& system, int fd, QByteArrayView bytes, off_t size);

// The entries of a folder, "." and ".." left out, appended to `entries`.
SysResult ReadFolder(const SystemCalls& system, int dir, const QByteArray& folder,
                     QList<FolderEntry>& entries);

// Hands what `fd` holds to `take` piece by piece, to its end; fails with EFBIG, before the piece
// that would pass it, once more than `limit` bytes have come.
SysResult ReadPieces(const SystemCalls& system, int fd, qsizetype limit,
                     const std::function<void(QByteArrayView)>& take);

// The whole of a small file, such as a table of the kernel's; nothing when it cannot be read or
// is larger than `limit`.
std::optional<QByteArray> ReadWhole(const SystemCalls& system, const QByteArray& path,
                                    qsizetype limit);

} // namespace corvane
