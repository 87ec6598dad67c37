// SPDX-License-Identifier: GPL-3.0-or-later
#include "FaultySystemCalls.h"

#include <algorithm>

using corvane::SysResult;
using corvane::SystemCalls;

void FaultySystemCalls::failAt(Call call, int n, int error) {
    m_faults[call].append({n, error});
}

void FaultySystemCalls::failAlways(Call call, int error) {
    m_faults[call].append({-1, error});
}

void FaultySystemCalls::afterRename(int n, std::function<void()> action) {
    m_actionAt = n;
    m_action = std::move(action);
}

SysResult FaultySystemCalls::renameNoReplace(int dir, const QByteArray& from,
                                             const QByteArray& to) const {
    const SysResult renamed =
        run(RenameNoReplace, true, [&] { return SystemCalls::renameNoReplace(dir, from, to); });
    if (m_action && m_counts[RenameNoReplace] == m_actionAt)
        m_action();
    return renamed;
}

SysResult FaultySystemCalls::renameOver(int dir, const QByteArray& from,
                                        const QByteArray& to) const {
    return run(RenameOver, true, [&] { return SystemCalls::renameOver(dir, from, to); });
}

SysResult FaultySystemCalls::link(int dir, const QByteArray& from, const QByteArray& to) const {
    return run(Link, true, [&] { return SystemCalls::link(dir, from, to); });
}

SysResult FaultySystemCalls::unlink(int dir, const QByteArray& path) const {
    return run(Unlink, true, [&] { return SystemCalls::unlink(dir, path); });
}

SysResult FaultySystemCalls::linkStatus(int dir, const QByteArray& path, struct stat& info) const {
    return run(LinkStatus, false, [&] { return SystemCalls::linkStatus(dir, path, info); });
}

SysResult FaultySystemCalls::status(int dir, const QByteArray& path, struct stat& info) const {
    return run(Status, false, [&] { return SystemCalls::status(dir, path, info); });
}

SysResult FaultySystemCalls::open(int dir, const QByteArray& path, int flags) const {
    return run(Open, true, [&] { return SystemCalls::open(dir, path, flags); });
}

SysResult FaultySystemCalls::read(int fd, char* data, size_t size) const {
    return run(Read, false, [&] { return SystemCalls::read(fd, data, size); });
}

SysResult FaultySystemCalls::write(int fd, const char* data, size_t size, off_t at) const {
    const size_t taken = writeLimit > 0 ? std::min(size, size_t(writeLimit)) : size;
    return run(Write, false, [&] { return SystemCalls::write(fd, data, taken, at); });
}

SysResult FaultySystemCalls::allocate(int fd, off_t at, off_t length) const {
    return run(Allocate, false, [&] { return SystemCalls::allocate(fd, at, length); });
}

SysResult FaultySystemCalls::truncate(int fd, off_t size) const {
    return run(Truncate, false, [&] { return SystemCalls::truncate(fd, size); });
}

SysResult FaultySystemCalls::sync(int fd) const {
    return run(Sync, false, [&] { return SystemCalls::sync(fd); });
}

SysResult FaultySystemCalls::close(int fd) const {
    // A failed close still closes: the descriptor is gone either way.
    const SysResult closed = SystemCalls::close(fd);
    return run(Close, false, [&] { return closed; });
}

SysResult FaultySystemCalls::lock(int fd, bool wait) const {
    return run(Lock, false, [&] { return SystemCalls::lock(fd, wait); });
}

void FaultySystemCalls::failFolder(const QByteArray& folder, int error) {
    m_failingFolder = folder;
    m_folderError = error;
}

SysResult FaultySystemCalls::readFolder(int dir, const QByteArray& folder,
                                        const EntryTaker& take) const {
    if (folder == m_failingFolder)
        return SysResult::Failed(m_folderError);
    return run(ReadFolder, false, [&] { return SystemCalls::readFolder(dir, folder, take); });
}
