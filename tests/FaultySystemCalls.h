// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SystemCalls.h"

#include <QList>
#include <array>
#include <functional>
#include <unistd.h>

// The real system calls, but a chosen call fails with a chosen errno, as a volume or a pulled
// stick would make it: the n-th call of its kind (counted from 1), or every one. An errno of 0
// makes the call report success without doing anything, as a volume that ignores it. Calls that
// change a folder can be slowed, so that a kill lands between two steps.
class FaultySystemCalls : public corvane::SystemCalls {
public:
    enum Call {
        RenameNoReplace,
        RenameOver,
        Link,
        Unlink,
        LinkStatus,
        Status,
        Open,
        Read,
        Write,
        Allocate,
        Truncate,
        Sync,
        Close,
        Lock,
        ReadFolder,
        CallCount
    };

    void failAt(Call call, int n, int error);
    void failAlways(Call call, int error);
    // Listing this one folder (by its host path) fails with `error`, as a folder the user may
    // not read.
    void failFolder(const QByteArray& folder, int error);
    // Runs `action` right after the n-th rename with RENAME_NOREPLACE, as another program might.
    void afterRename(int n, std::function<void()> action);
    // Each write takes at most this many bytes, as a pipe or a full disk may.
    int writeLimit = 0;
    int delayMicroseconds = 0;
    // How many calls of a kind were made.
    int count(Call call) const { return m_counts.at(call); }

    corvane::SysResult renameNoReplace(int dir, const QByteArray& from,
                                       const QByteArray& to) const override;
    corvane::SysResult renameOver(int dir, const QByteArray& from,
                                  const QByteArray& to) const override;
    corvane::SysResult link(int dir, const QByteArray& from, const QByteArray& to) const override;
    corvane::SysResult unlink(int dir, const QByteArray& path) const override;
    corvane::SysResult linkStatus(int dir, const QByteArray& path,
                                  struct stat& info) const override;
    corvane::SysResult status(int dir, const QByteArray& path, struct stat& info) const override;
    corvane::SysResult open(int dir, const QByteArray& path, int flags) const override;
    corvane::SysResult read(int fd, char* data, size_t size) const override;
    corvane::SysResult write(int fd, const char* data, size_t size, off_t at) const override;
    corvane::SysResult allocate(int fd, off_t at, off_t length) const override;
    corvane::SysResult truncate(int fd, off_t size) const override;
    corvane::SysResult sync(int fd) const override;
    corvane::SysResult close(int fd) const override;
    corvane::SysResult lock(int fd, bool wait) const override;
    corvane::SysResult readFolder(int dir, const QByteArray& folder,
                                  const EntryTaker& take) const override;

private:
    struct Fault {
        int at = 0; // -1 for every call
        int error = 0;
    };
    // The planted fault's errno, or the real call's result.
    template <typename RealCall>
    corvane::SysResult run(Call call, bool slowed, RealCall real) const {
        if (slowed && delayMicroseconds > 0)
            ::usleep(useconds_t(delayMicroseconds));
        const int n = ++m_counts[call];
        for (const Fault& planted : m_faults[call]) {
            if (planted.at == -1 || planted.at == n)
                return {planted.error, 0};
        }
        return real();
    }

    std::array<QList<Fault>, CallCount> m_faults{};
    int m_actionAt = 0;
    std::function<void()> m_action;
    QByteArray m_failingFolder;
    int m_folderError = 0;
    mutable std::array<int, CallCount> m_counts{};
};
