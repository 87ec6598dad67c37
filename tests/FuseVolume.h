// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A real volume for one test: an image made in a temporary folder and mounted through FUSE,
// as a USB stick, a player or an external drive is. Unmounted again when it goes.
class FuseVolume {
public:
    enum class Kind { LocalDisk, Fat, ExFat, Ntfs, NtfsIgnoringCase };

    explicit FuseVolume(Kind kind);
    ~FuseVolume();
    FuseVolume(const FuseVolume&) = delete;
    FuseVolume& operator=(const FuseVolume&) = delete;

    // Empty when the volume is mounted; else why it could not be on this machine.
    const QString& unavailable() const { return m_unavailable; }
    // An empty folder on the volume.
    QByteArray folder() const;
    // Unmounts the volume and mounts it again, as a stick pulled out and plugged in.
    bool replug();

private:
    bool run(const QString& program, const QStringList& arguments);
    void mount(Kind kind);
    void attach(Kind kind, const QString& image);

    Kind m_kind;
    QTemporaryDir m_dir;
    QString m_mountPoint;
    QString m_loopDevice;
    QString m_lastOutput; // what the last tool printed
    QString m_unavailable;
    bool m_mounted = false;
};
