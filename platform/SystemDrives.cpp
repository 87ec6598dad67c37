// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DriveTable.h"
#include "platform/MountTable.h"
#include "platform/NameCodec.h"

#include <QByteArrayList>
#include <algorithm>

// How this machine's folders and volumes become lettered drives.

namespace corvane {
namespace {

// Optical drives the kernel knows, as device paths ("/dev/sr0").
QByteArrayList OpticalDrives(const SystemCalls& system) {
    QByteArrayList devices;
    const QByteArray info = ReadWhole(system, "/proc/sys/dev/cdrom/info", 1 << 20).value_or("");
    for (const QByteArray& line : info.split('\n')) {
        if (line.startsWith("drive name:")) {
            for (const QByteArray& name : line.sliced(11).simplified().split(' '))
                devices.append("/dev/" + name);
        }
    }
    return devices;
}

// FUSE mounts of the desktop's own plumbing, never music.
bool IsSystemMount(const Mount& mount) {
    static const QByteArrayList types{"fuse.portal", "fusectl", "fuse.lxcfs", "fuse.snapfuse",
                                      "fuse.xdg-document-portal"};
    static const QByteArrayList places{
        "/proc/", "/sys/", "/dev/", "/snap/", "/var/lib/flatpak/", "/var/lib/snapd/"};
    const QByteArray point = mount.point + '/';
    const bool runInternal = point.startsWith("/run/") && !point.startsWith("/run/media/") &&
                             !point.startsWith("/run/user/");
    return types.contains(mount.type) || runInternal ||
           std::any_of(places.begin(), places.end(),
                       [&](const QByteArray& place) { return point.startsWith(place); });
}

// The last part of a remote path, "" for its root.
QString LastPart(const QByteArray& path) {
    const QList<QByteArray> parts = path.split('/');
    for (auto part = parts.crbegin(); part != parts.crend(); ++part) {
        if (!part->isEmpty())
            return DecodeName(*part);
    }
    return {};
}

// What the drive list shows of a network mount: the share's or folder's name and the machine it
// lives on ("music on nas"), from what was mounted: "user@host:/music" (sshfs, NFS),
// "remote:music" (rclone), "//host/music" (CIFS), "http://host/music" (WebDAV).
QString NetworkPlace(const Mount& mount) {
    QByteArray source = mount.device;
    if (const qsizetype scheme = source.indexOf("://"); scheme > 0)
        source = source.sliced(scheme + 1);
    QByteArray host;
    QByteArray path = source;
    if (source.startsWith("//")) {
        const qsizetype slash = source.indexOf('/', 2);
        host = source.mid(2, slash < 0 ? -1 : slash - 2);
        path = slash < 0 ? QByteArray() : source.sliced(slash);
    } else if (const qsizetype colon = source.indexOf(':'); colon > 0 && !source.startsWith('/')) {
        host = source.first(colon);
        path = source.sliced(colon + 1);
    }
    host = host.sliced(host.lastIndexOf('@') + 1);
    const QString name = LastPart(path);
    if (host.isEmpty())
        return name.isEmpty() ? DecodeName(mount.point) : name;
    return name.isEmpty() ? DecodeName(host) : name + u" on "_qs + DecodeName(host);
}

// The shares GNOME mounted, each a folder of gvfs's one mount named
// "smb-share:server=nas,share=music" or "sftp:host=nas,user=u".
QList<Drive> GvfsShares(const SystemCalls& system, const Mount& mount) {
    QList<FolderEntry> entries;
    QList<Drive> shares;
    // A gvfs that cannot be read has no shares to show yet.
    if (!ReadFolder(system, AT_FDCWD, mount.point, entries).ok())
        return shares;
    for (const FolderEntry& entry : entries) {
        QByteArray host;
        QByteArray share;
        for (const QByteArray& pair : entry.name.sliced(entry.name.indexOf(':') + 1).split(',')) {
            const qsizetype equals = pair.indexOf('=');
            const QByteArray key = pair.first(std::max<qsizetype>(equals, 0));
            const QByteArray value = pair.sliced(equals + 1);
            if (key == "server" || key == "host")
                host = value;
            else if (key == "share" || key == "prefix")
                share = value;
        }
        shares.append({QChar(), mount.point + '/' + entry.name,
                       NetworkPlace({"//" + host + '/' + share, {}, {}}), true});
    }
    return shares;
}

// The network and FUSE mounts, by their type, wherever they are mounted; `taken` are the host
// folders that are drives already, or the program's own.
QList<Drive> NetworkVolumes(const SystemCalls& system, const QList<Mount>& mounts,
                            const QByteArrayList& taken) {
    QList<Drive> volumes;
    for (const Mount& mount : mounts) {
        if (!IsNetworkOrFuse(mount.type) || IsSystemMount(mount) ||
            std::any_of(taken.begin(), taken.end(), [&](const QByteArray& folder) {
                return mount.point == folder || folder.startsWith(QByteArray(mount.point + '/'));
            }))
            continue;
        if (mount.type == "fuse.gvfsd-fuse")
            volumes += GvfsShares(system, mount);
        else
            volumes.append({QChar(), mount.point, NetworkPlace(mount), true});
    }
    std::sort(volumes.begin(), volumes.end(),
              [](const Drive& a, const Drive& b) { return a.root < b.root; });
    return volumes;
}

// The volumes of the mount table, letters not yet given: removable ones in mount-point order,
// optical drives without a medium, then network and FUSE mounts.
QList<Drive> Volumes(const SystemCalls& system, const MountSources& sources, QByteArrayList taken) {
    const QList<Mount> mounts = ReadMountTable(system, sources.mountsFile);
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
    taken += points;
    for (const Drive& volume : NetworkVolumes(system, mounts, taken)) {
        if (!points.contains(volume.root))
            volumes.append(volume);
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
    QByteArrayList fixed{m_stateFolder};
    for (const Drive& drive : next)
        fixed.append(drive.root);
    QList<Drive> volumes = Volumes(*m_system, m_sources, fixed);
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
