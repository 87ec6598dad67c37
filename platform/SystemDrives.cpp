// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DriveTable.h"

#include <QByteArrayList>
#include <algorithm>

// How this machine's folders and volumes become lettered drives.

namespace corvane {
namespace {

struct Mount {
    QByteArray device;
    QByteArray point;
};

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

// A table of the kernel's, read whole; empty when it cannot be read, as on a machine without it.
QByteArray ReadTable(const SystemCalls& system, const QByteArray& path) {
    constexpr qsizetype kLargestTable = 16 << 20;
    QByteArray bytes;
    const SysResult opened = system.open(AT_FDCWD, path, O_RDONLY);
    if (!opened.ok())
        return bytes;
    const SysResult read = ReadPieces(system, opened.fd(), kLargestTable,
                                      [&](QByteArrayView piece) { bytes += piece; });
    // Only read: a failed close loses nothing.
    system.close(opened.fd());
    return read.ok() ? bytes : QByteArray();
}

QList<Mount> Mounts(const SystemCalls& system, const QByteArray& mountsFile) {
    QList<Mount> mounts;
    for (const QByteArray& line : ReadTable(system, mountsFile).split('\n')) {
        const QByteArrayList fields = line.split(' ');
        if (fields.size() >= 2)
            mounts.append({Unescaped(fields.at(0)), Unescaped(fields.at(1))});
    }
    return mounts;
}

// Optical drives the kernel knows, as device paths ("/dev/sr0").
QByteArrayList OpticalDrives(const SystemCalls& system) {
    QByteArrayList devices;
    for (const QByteArray& line : ReadTable(system, "/proc/sys/dev/cdrom/info").split('\n')) {
        if (line.startsWith("drive name:")) {
            for (const QByteArray& name : line.sliced(11).simplified().split(' '))
                devices.append("/dev/" + name);
        }
    }
    return devices;
}

// The volumes of the mount table, letters not yet given: mounted ones in mount-point order, then
// optical drives without a medium.
QList<Drive> Volumes(const SystemCalls& system, const MountSources& sources) {
    const QList<Mount> mounts = Mounts(system, sources.mountsFile);
    QByteArrayList points;
    for (const Mount& mount : mounts) {
        if (std::any_of(sources.roots.begin(), sources.roots.end(),
                        [&](const QByteArray& root) { return mount.point.startsWith(root); }))
            points.append(mount.point);
    }
    // A point mounted over again counts once.
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());

    QList<Drive> volumes;
    for (const QByteArray& point : points)
        volumes.append({QChar(), point, QString::fromLocal8Bit(point), true});
    for (const QByteArray& device : sources.opticalDrives) {
        const bool mounted = std::any_of(mounts.begin(), mounts.end(), [&](const Mount& mount) {
            return mount.device == device;
        });
        if (!mounted)
            volumes.append({QChar(), QByteArray(), QString::fromLocal8Bit(device), true});
    }
    return volumes;
}

QByteArray StateFolder(const QByteArray& home) {
    const QByteArray state = qgetenv("XDG_STATE_HOME");
    return (state.startsWith('/') ? state : home + "/.local/state") + "/corvane";
}

// Makes the folder and every missing one above it. One that cannot be made shows later, as the
// undo log that cannot be written there.
void MakeFolders(const SystemCalls& system, const QByteArray& path) {
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1))
        system.makeFolder(path.first(slash));
    system.makeFolder(path);
}

} // namespace

DriveTable DriveTable::FromSystem() {
    const QByteArray home = qEnvironmentVariableIsEmpty("HOME") ? QByteArray("/") : qgetenv("HOME");
    const QByteArray stateFolder = StateFolder(home);
    const SystemCalls& system = SystemCalls::Real();
    MakeFolders(system, stateFolder);
    DriveTable table({{u'c', home, QStringLiteral("home")}, {u'z', QByteArray("/"), u"/"_qs}},
                     stateFolder, system);
    table.followMounts(
        {"/proc/self/mounts", {"/media/", "/run/media/", "/mnt/"}, OpticalDrives(system)});
    return table;
}

void DriveTable::followMounts(MountSources sources) {
    m_sources = std::move(sources);
    readMounts();
}

bool DriveTable::readMounts() {
    if (m_sources.mountsFile.isEmpty())
        return false;
    QList<Drive> next;
    std::copy_if(m_drives.begin(), m_drives.end(), std::back_inserter(next),
                 [](const Drive& drive) { return !drive.volume; });
    QList<Drive> volumes = Volumes(*m_system, m_sources);
    // A volume still there keeps its letter; a new one takes the first letter free after c:.
    for (Drive& volume : volumes) {
        for (const Drive& known : m_drives) {
            if (known.volume && known.root == volume.root && known.place == volume.place)
                volume.letter = known.letter;
        }
    }
    const auto taken = [&](char16_t letter) {
        const auto same = [&](const Drive& drive) { return drive.letter == QChar(letter); };
        return std::any_of(next.begin(), next.end(), same) ||
               std::any_of(volumes.begin(), volumes.end(), same);
    };
    for (Drive& volume : volumes) {
        for (char16_t letter = u'd'; volume.letter.isNull() && letter < u'z'; ++letter) {
            if (!taken(letter))
                volume.letter = QChar(letter);
        }
    }
    std::copy_if(volumes.begin(), volumes.end(), std::back_inserter(next),
                 [](const Drive& volume) { return !volume.letter.isNull(); });
    std::sort(next.begin(), next.end(),
              [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
    if (next == m_drives)
        return false;
    m_drives = std::move(next);
    return true;
}

} // namespace corvane
