// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SystemCalls.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace corvane {

// What the volume of a folder allows in a name, as its mount table entry and the kernel tell,
// read without writing anything there.
struct VolumeRules {
    // FAT, exFAT, NTFS and SMB shares: no " * : < > ? \ | or control characters, no trailing dot
    // or space, no device names such as "CON", and at most 255 UTF-16 units.
    bool windowsNames = false;
    // The longest name in bytes; 0 where the volume counts in UTF-16 units only.
    qint64 byteLimit = 255;
    bool ignoresCase = false;
    // A network or FUSE volume: the kernel does not see what other machines change there.
    bool unwatched = false;

    // Why the volume would refuse or alter the name; empty when it takes it as it is.
    QString refusal(QStringView name, const QByteArray& encoded) const;
    // The name as the volume tells names apart.
    QString key(const QString& name) const { return ignoresCase ? name.toCaseFolded() : name; }
};

// The rules of the volume that holds `folder` (a host path), whose entries are `entries`.
VolumeRules RulesOfVolume(const SystemCalls& system, const QByteArray& folder,
                          const QStringList& entries);

// Whether the volume that holds `folder` keeps its own list of the folder's names and renames
// over a name it believes free, so that a file another machine put there since would be
// replaced: an rclone mount and a WebDAV folder through davfs2.
bool CachesListing(const SystemCalls& system, const QByteArray& folder);

} // namespace corvane
