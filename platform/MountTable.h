// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SystemCalls.h"

#include <QByteArray>
#include <QList>
#include <optional>

namespace corvane {

// One line of the kernel's mount table.
struct Mount {
    QByteArray device; // what is mounted: "/dev/sdb1", "user@host:/music", "//host/share"
    QByteArray point;
    QByteArray type; // "vfat", "fuse.sshfs", "cifs"
    bool operator==(const Mount&) const = default;
};

// The mount table at `path` ("/proc/self/mounts"), in its order; empty when it cannot be read.
QList<Mount> ReadMountTable(const SystemCalls& system, const QByteArray& path);

// The mount that holds a host path: the last one mounted on the longest point above it.
std::optional<Mount> MountHolding(const QList<Mount>& mounts, const QByteArray& hostPath);

// Whether the volume is reached over a network, or through a FUSE client that the kernel cannot
// watch for changes made by others.
bool IsNetworkOrFuse(const QByteArray& type);

} // namespace corvane
