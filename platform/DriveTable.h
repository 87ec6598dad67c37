// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/EntryId.h"
#include "platform/FileErrorCode.h"
#include "platform/SystemCalls.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QString>
#include <QStringView>
#include <optional>

namespace corvane {

// One lettered drive and the host folder it stands for.
struct Drive {
    QChar letter;        // lower case: 'c'
    QByteArray root;     // host folder; empty for a drive without a medium
    QString place;       // what the drive list shows beside the letter: "home", "/"
    bool volume = false; // a mounted volume or an optical drive, which may come and go

    friend bool operator==(const Drive&, const Drive&) = default;
};

// Where the volumes that come and go are read from: the kernel's mount table, the folders
// under which a mount point is a removable volume ("/media/"), and the optical drives.
struct MountSources {
    QByteArray mountsFile;
    QByteArrayList roots;
    QByteArrayList opticalDrives; // device paths such as "/dev/sr0"
};

// The lettered drives that stand in for the host file system. "c:" is the home folder, "z:"
// the file system root, and "c:\windows" the application's state folder.
class DriveTable {
public:
    DriveTable(QList<Drive> drives, QByteArray stateFolder,
               const SystemCalls& system = SystemCalls::Real());

    // The drives of this machine, following its mounts; creates the state folder when it is
    // missing.
    static DriveTable FromSystem();

    // Lists the volumes mounted under `sources` too, and from now on follows them.
    void followMounts(MountSources sources);
    // Reads the mount table again: volumes mounted since are added under free letters, those
    // gone are removed, and every other drive keeps its letter. Whether the drives changed.
    bool readMounts();
    // The mount table followed, when there is one.
    const QByteArray& mountsFile() const { return m_sources.mountsFile; }

    const QList<Drive>& drives() const { return m_drives; }
    const SystemCalls& system() const { return *m_system; }
    // The journal of renames in flight, beside the undo log in the state folder.
    QByteArray journalPath() const { return m_stateFolder + "/pending-renames"; }
    // Whether a folder is the program's own state folder, whichever path leads to it: its files
    // are no music to list or rename.
    bool isStateFolder(const EntryId& folder) const;

    // 0 when the drive can be used, else kDiskNotReady or kDeviceUnavailable.
    FileErrorCode readiness(QChar letter) const;

    // The host path of a drive path such as "c:\Music\Album"; nothing when the path names no
    // drive of the table or holds a part that cannot be a folder name.
    std::optional<QByteArray> hostPath(QStringView drivePath) const;

    struct Resolved {
        std::optional<QByteArray> host;
        FileErrorCode code = kNoError; // why there is none: the drive's state, else 76
    };
    // The host path of a drive path with, where there is none, the code that says why: the one
    // place where a drive path meets the host.
    Resolved resolve(QStringView drivePath) const;

private:
    const Drive* find(QChar letter) const;

    QList<Drive> m_drives;
    MountSources m_sources;
    QByteArray m_stateFolder;
    const SystemCalls* m_system;
};

} // namespace corvane
