// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <optional>
#include <utility>

// A real volume for one test: an image made in a temporary folder and mounted through FUSE, or
// with the kernel's own driver and udisks2's options, as a USB stick, a player or an external
// drive is; or a share of a server started on 127.0.0.1 for the test, mounted as a desktop or
// fstab mounts a NAS. Unmounted, and its server ended, when it goes.
class FuseVolume {
public:
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
        KernelCifs
    };

    // The kernel's driver of a kind and its mount options, as udisks2 or fstab give them.
    static std::optional<std::pair<QString, QString>> KernelDriver(Kind kind);

    explicit FuseVolume(Kind kind);
    ~FuseVolume();
    FuseVolume(const FuseVolume&) = delete;
    FuseVolume& operator=(const FuseVolume&) = delete;

    // Empty when the volume is mounted; else why it could not be on this machine.
    const QString& unavailable() const { return m_unavailable; }
    // An empty folder on the volume.
    QByteArray folder() const;
    // The same folder as the server holds it, for another machine to change; the volume's own
    // folder where no server stands behind it.
    QByteArray serverFolder() const;
    // Unmounts the volume and mounts it again, as a stick pulled out and plugged in.
    bool replug();

private:
    bool run(const QString& program, const QStringList& arguments,
             const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
    void mount(Kind kind);
    void attach(Kind kind);
    bool attachLoop(Kind kind, const QString& image); // leaves the loop device in m_lastOutput
    void startServer(Kind kind);
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    Kind m_kind;
    QTemporaryDir m_dir;
    QString m_mountPoint;
    QString m_loopDevice;
    QString m_lastOutput; // what the last tool printed
    QString m_unavailable;
    bool m_mounted = false;
    int m_port = 0;
    QProcess m_server; // sshd or smbd in the foreground, or the rclone client
};
