// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuseVolume.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

constexpr long kFuseMagic = 0x65735546;
constexpr int kToolTimeoutMs = 30000;

} // namespace

FuseVolume::FuseVolume(Kind kind)
    : m_kind(kind), m_mountPoint(m_dir.filePath(QStringLiteral("volume"))) {
    QDir().mkpath(m_mountPoint);
    if (kind == Kind::LocalDisk)
        return;
    if (::geteuid() != 0 || !QFile::exists(QStringLiteral("/dev/fuse")))
        m_unavailable = QStringLiteral("mounting through FUSE needs root and /dev/fuse");
    else
        mount(kind);
    struct statfs info {};
    if (m_unavailable.isEmpty() &&
        (::statfs(QFile::encodeName(m_mountPoint).constData(), &info) != 0 ||
         info.f_type != kFuseMagic))
        m_unavailable = QStringLiteral("the volume did not mount");
    m_mounted = m_unavailable.isEmpty();
}

FuseVolume::~FuseVolume() {
    if (m_mounted)
        run(QStringLiteral("umount"), {m_mountPoint});
    if (!m_loopDevice.isEmpty())
        run(QStringLiteral("losetup"), {QStringLiteral("-d"), m_loopDevice});
}

QByteArray FuseVolume::folder() const {
    return QFile::encodeName(m_mountPoint);
}

bool FuseVolume::run(const QString& program, const QStringList& arguments) {
    if (QStandardPaths::findExecutable(program).isEmpty() &&
        QStandardPaths::findExecutable(program,
                                       {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")})
            .isEmpty()) {
        m_unavailable = program + QStringLiteral(" is not installed");
        return false;
    }
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForFinished(kToolTimeoutMs);
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        m_unavailable = program + QStringLiteral(" failed: ") +
                        QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        return false;
    }
    m_lastOutput = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    return true;
}

void FuseVolume::mount(Kind kind) {
    const QString image = m_dir.filePath(QStringLiteral("volume.img"));
    QFile file(image);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(64 << 20)) {
        m_unavailable = QStringLiteral("no room for an image");
        return;
    }
    file.close();
    switch (kind) {
    case Kind::Fat:
        run(QStringLiteral("mkfs.vfat"), {QStringLiteral("-F"), QStringLiteral("32"), image});
        break;
    case Kind::ExFat:
        // exfat-fuse mounts block devices only.
        if (run(QStringLiteral("mkfs.exfat"), {image}) &&
            run(QStringLiteral("losetup"), {QStringLiteral("-f"), QStringLiteral("--show"), image}))
            m_loopDevice = m_lastOutput;
        break;
    case Kind::Ntfs:
    case Kind::NtfsIgnoringCase:
        run(QStringLiteral("mkntfs"),
            {QStringLiteral("-F"), QStringLiteral("-f"), QStringLiteral("-q"), image});
        break;
    case Kind::LocalDisk:
        break;
    }
    if (m_unavailable.isEmpty())
        attach(kind, image);
}

void FuseVolume::attach(Kind kind, const QString& image) {
    switch (kind) {
    case Kind::Fat:
        run(QStringLiteral("fusefat"),
            {QStringLiteral("-o"), QStringLiteral("rw+"), image, m_mountPoint});
        break;
    case Kind::ExFat:
        run(QStringLiteral("mount.exfat-fuse"), {m_loopDevice, m_mountPoint});
        break;
    case Kind::Ntfs:
        run(QStringLiteral("ntfs-3g"), {image, m_mountPoint});
        break;
    case Kind::NtfsIgnoringCase:
        run(QStringLiteral("lowntfs-3g"),
            {QStringLiteral("-o"), QStringLiteral("ignore_case"), image, m_mountPoint});
        break;
    case Kind::LocalDisk:
        break;
    }
}

bool FuseVolume::replug() {
    if (!m_mounted || !run(QStringLiteral("umount"), {m_mountPoint}))
        return false;
    attach(m_kind, m_dir.filePath(QStringLiteral("volume.img")));
    return m_unavailable.isEmpty();
}
