// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A real volume for one test, made, mounted and served by scripts/volume.sh in a temporary
// folder, and unmounted, its server ended, when it goes.
class FuseVolume {
public:
    // In the order of the script's kinds, the kernel's own last.
    enum class Kind {
        LocalDisk,
        Fat,
        ExFat,
        Ntfs,
        NtfsIgnoringCase,
        Sshfs,
        Samba,
        Rclone,
        KernelVfat,
        KernelExfat,
        KernelCifs,
        KernelNfs,
        KernelNfs3
    };

    explicit FuseVolume(Kind kind);
    ~FuseVolume();
    FuseVolume(const FuseVolume&) = delete;
    FuseVolume& operator=(const FuseVolume&) = delete;

    // Empty when the volume is mounted; else why it could not be on this machine.
    const QString& unavailable() const { return m_unavailable; }
    // An empty folder on the volume.
    const QByteArray& folder() const { return m_folder; }
    // The same folder as the server holds it, for another machine to change; the volume's own
    // folder where no server stands behind it.
    const QByteArray& serverFolder() const { return m_served; }
    // Unmounts the volume and mounts it again, as a stick pulled out and plugged in.
    bool replug();

private:
    // Runs the script on this volume; its output, or empty with the reason in m_unavailable.
    QByteArray script(const QString& command, const QStringList& arguments = {});

    QTemporaryDir m_dir;
    QString m_unavailable;
    QByteArray m_folder;
    QByteArray m_served;
};
