// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SystemCalls.h"

#include <QList>
#include <algorithm>
#include <array>
#include <functional>
#include <unistd.h>

// The real system calls, but a chosen call fails with a chosen errno, as a volume or a pulled
// stick would make it: the n-th call of its kind (counted from 1), or every one. An errno of 0
// makes the call report success without doing anything, as a volume that ignores it. Calls that
// change a folder can be slowed, so that a kill lands between two steps.
class FaultySystemCalls : public corvane::SystemCalls {
public:
    using SysResult = corvane::SysResult;
    enum Call {
        RenameNoReplace,
        RenameOver,
        Link,
        Unlink,
        Open,
        Write,
        Allocate,
        Zero,
        Sync,
        Close,
        Lock,
        ReadFolder,
        CallCount
    };

    // A fault: the n-th call of a kind, or every one (-1), fails with an errno.
    struct Fault {
        Call call;
        int at;
        int error;
    };

    explicit FaultySystemCalls(const QList<Fault>& faults = {}) {
        for (const Fault& fault : faults)
            m_faults[fault.call].append(fault);
    }
    // Listing this one folder (by its host path) fails with `error`, as a folder the user may
    // not read.
    void failFolder(const QByteArray& folder, int error) {
        m_failingFolder = folder;
        m_folderError = error;
    }
    // Runs `action` right after the n-th rename with RENAME_NOREPLACE, as another program might.
    void afterRename(int n, std::function<void()> action) {
        m_actionAt = n;
        m_action = std::move(action);
    }
    // Each write takes at most this many bytes, as a pipe or a full disk may.
    int writeLimit = 0;
    int delayMicroseconds = 0;
    // How many calls of a kind were made.
    int count(Call call) const { return m_counts.at(call); }

    SysResult renameNoReplace(int dir, const QByteArray& from,
                              const QByteArray& to) const override {
        const SysResult renamed =
            run(RenameNoReplace, true, [&] { return SystemCalls::renameNoReplace(dir, from, to); });
        if (m_action && m_counts[RenameNoReplace] == m_actionAt)
            m_action();
        return renamed;
    }
    SysResult renameOver(int dir, const QByteArray& from, const QByteArray& to) const override {
        return run(RenameOver, true, [&] { return SystemCalls::renameOver(dir, from, to); });
    }
    SysResult link(int dir, const QByteArray& from, const QByteArray& to) const override {
        return run(Link, true, [&] { return SystemCalls::link(dir, from, to); });
    }
    SysResult unlink(int dir, const QByteArray& path) const override {
        return run(Unlink, true, [&] { return SystemCalls::unlink(dir, path); });
    }
    SysResult open(int dir, const QByteArray& path, int flags) const override {
        return run(Open, true, [&] { return SystemCalls::open(dir, path, flags); });
    }
    SysResult write(int fd, const char* data, size_t size, off_t at) const override {
        const size_t taken = writeLimit > 0 ? std::min(size, size_t(writeLimit)) : size;
        return run(Write, false, [&] { return SystemCalls::write(fd, data, taken, at); });
    }
    SysResult allocate(int fd, off_t at, off_t length) const override {
        return run(Allocate, false, [&] { return SystemCalls::allocate(fd, at, length); });
    }
    SysResult zero(int fd, off_t at, off_t length) const override {
        return run(Zero, false, [&] { return SystemCalls::zero(fd, at, length); });
    }
    SysResult sync(int fd) const override {
        return run(Sync, false, [&] { return SystemCalls::sync(fd); });
    }
    SysResult syncVolume(int fd) const override {
        return run(Sync, false, [&] { return SystemCalls::syncVolume(fd); });
    }
    SysResult close(int fd) const override {
        // A failed close still closes: the descriptor is gone either way.
        const SysResult closed = SystemCalls::close(fd);
        return run(Close, false, [&] { return closed; });
    }
    SysResult lock(int fd, bool wait) const override {
        return run(Lock, false, [&] { return SystemCalls::lock(fd, wait); });
    }
    SysResult readFolder(int dir, const QByteArray& folder, const EntryTaker& take) const override {
        if (folder == m_failingFolder)
            return SysResult::Failed(m_folderError);
        return run(ReadFolder, false, [&] { return SystemCalls::readFolder(dir, folder, take); });
    }

private:
    // The planted fault's errno, or the real call's result.
    template <typename RealCall> SysResult run(Call call, bool slowed, RealCall real) const {
        if (slowed && delayMicroseconds > 0)
            ::usleep(useconds_t(delayMicroseconds));
        const int n = ++m_counts[call];
        for (const Fault& fault : m_faults[call]) {
            if (fault.at == -1 || fault.at == n)
                return {fault.error, 0};
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
