#include "platform/DriveTable.h"

#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <algorithm>

// How this machine's folders and volumes become lettered drives.

namespace corvane {
namespace {

struct Mount {
    QByteArray device;
    QByteArray point;
};

// /proc/self/mounts writes a space in a mount point as "\040".
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

QList<Mount> Mounts() {
    QFile file(QStringLiteral("/proc/self/mounts"));
    QList<Mount> mounts;
    if (!file.open(QIODevice::ReadOnly))
        return mounts;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QByteArrayList fields = line.split(' ');
        if (fields.size() >= 2)
            mounts.append({Unescaped(fields.at(0)), Unescaped(fields.at(1))});
    }
    return mounts;
}

bool IsRemovablePoint(const QByteArray& point) {
    return point.startsWith("/media/") || point.startsWith("/run/media/") ||
           point.startsWith("/mnt/");
}

// Optical drives the kernel knows, as device paths ("/dev/sr0").
QByteArrayList OpticalDrives() {
    QFile file(QStringLiteral("/proc/sys/dev/cdrom/info"));
    QByteArrayList devices;
    if (!file.open(QIODevice::ReadOnly))
        return devices;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("drive name:")) {
            for (const QByteArray& name : line.sliced(11).simplified().split(' '))
                devices.append("/dev/" + name);
        }
    }
    return devices;
}

QByteArray StateFolder(const QByteArray& home) {
    const QByteArray state = qgetenv("XDG_STATE_HOME");
    return (state.startsWith('/') ? state : home + "/.local/state") + "/corvane";
}

} // namespace

DriveTable DriveTable::FromSystem() {
    const QByteArray home = qEnvironmentVariableIsEmpty("HOME") ? QByteArray("/") : qgetenv("HOME");
    QList<Drive> drives{{u'c', home, QStringLiteral("home")}};

    QList<Mount> removable;
    const QList<Mount> mounts = Mounts();
    std::copy_if(mounts.begin(), mounts.end(), std::back_inserter(removable),
                 [](const Mount& mount) { return IsRemovablePoint(mount.point); });
    // A point mounted over again counts once.
    std::sort(removable.begin(), removable.end(),
              [](const Mount& a, const Mount& b) { return a.point < b.point; });
    removable.erase(std::unique(removable.begin(), removable.end(),
                                [](const Mount& a, const Mount& b) { return a.point == b.point; }),
                    removable.end());

    char16_t letter = u'd';
    for (const Mount& mount : removable) {
        if (letter < u'z')
            drives.append({QChar(letter++), mount.point, QString::fromLocal8Bit(mount.point)});
    }
    for (const QByteArray& device : OpticalDrives()) {
        const bool mounted = std::any_of(mounts.begin(), mounts.end(), [&](const Mount& mount) {
            return mount.device == device;
        });
        if (!mounted && letter < u'z')
            drives.append({QChar(letter++), QByteArray(), QString::fromLocal8Bit(device)});
    }
    drives.append({u'z', QByteArray("/"), QStringLiteral("/")});

    const QByteArray stateFolder = StateFolder(home);
    QDir().mkpath(QFile::decodeName(stateFolder));
    return DriveTable(std::move(drives), stateFolder);
}

} // namespace corvane
