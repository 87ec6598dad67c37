// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuseVolume.h"

#include <QProcess>

namespace {

constexpr const char* kKinds[] = {
    "local",       "fat",        "exfat",      "ntfs",        "ntfs-ignoring-case",
    "sshfs",       "samba",      "rclone",     "kernel-vfat", "kernel-exfat",
    "kernel-cifs", "kernel-nfs", "kernel-nfs3"};

} // namespace

FuseVolume::FuseVolume(Kind kind) {
    const QList<QByteArray> lines =
        script(u"up"_qs, {QString::fromLatin1(kKinds[int(kind)])}).split('\n');
    if (m_unavailable.isEmpty()) {
        m_folder = lines.value(0);
        m_served = lines.value(1);
    }
}

FuseVolume::~FuseVolume() {
    script(u"down"_qs);
}

bool FuseVolume::replug() {
    script(u"replug"_qs);
    return m_unavailable.isEmpty();
}

QByteArray FuseVolume::script(const QString& command, const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(CORVANE_VOLUME_SCRIPT),
                  QStringList{command} + arguments + QStringList{m_dir.path()});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        m_unavailable = u"scripts/volume.sh %1 did not finish"_qs.arg(command);
        return {};
    }
    if (process.exitCode() != 0) {
        m_unavailable = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        return {};
    }
    return process.readAllStandardOutput().trimmed();
}
