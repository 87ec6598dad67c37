// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MountTable.h"

namespace corvane {
namespace {

// The mount table writes a space in a mount point as "\040".
QByteArray Unescaped(const QByteArray& field) {
    QByteArray text;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QByteArray digits = field.mid(i + 1, 3);
        bool octal = field.at(i) == '\\' && digits.size() == 3;
        const int value = octal ? digits.toInt(&octal, 8) : 0;
        if (octal) {
            text += char(value);
            i += 3;
        } else {
            text += field.at(i);
        }
    }
    return text;
}

} // namespace

QList<Mount> ReadMountTable(const SystemCalls& system, const QByteArray& path) {
    QList<Mount> mounts;
    const QByteArray bytes = ReadWhole(system, path, 16 << 20).value_or(QByteArray());
    for (const QByteArray& line : bytes.split('\n')) {
        const QByteArrayList fields = line.split(' ');
        if (fields.size() >= 3)
            mounts.append({Unescaped(fields.at(0)), Unescaped(fields.at(1)), fields.at(2)});
    }
    return mounts;
}

std::optional<Mount> MountHolding(const QList<Mount>& mounts, const QByteArray& hostPath) {
    std::optional<Mount> holding;
    for (const Mount& mount : mounts) {
        const bool above = mount.point == "/" || hostPath == mount.point ||
                           hostPath.startsWith(QByteArray(mount.point + '/'));
        if (above && (!holding || mount.point.size() >= holding->point.size()))
            holding = mount;
    }
    return holding;
}

bool IsNetworkOrFuse(const QByteArray& type) {
    static const QByteArrayList network{"nfs", "nfs4", "cifs", "smb3", "smbfs", "davfs", "9p"};
    return network.contains(type) || type == "fuse" || type == "fuseblk" ||
           type.startsWith("fuse.");
}

} // namespace corvane
