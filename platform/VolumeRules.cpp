// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/VolumeRules.h"

#include "platform/HostPaths.h"
#include "platform/MountTable.h"
#include "platform/NameCodec.h"

#include <algorithm>

namespace corvane {
namespace {

constexpr qint64 kWindowsLimit = 255; // UTF-16 units

// FAT, exFAT and NTFS as the kernel mounts them, counting names in UTF-16 units.
bool IsWindowsKernelVolume(const Mount& mount) {
    static const QByteArrayList types{"vfat", "msdos", "exfat", "ntfs", "ntfs3"};
    return types.contains(mount.type);
}

// SMB shares as the kernel mounts them: Windows' names, kept by a server whose own volume may
// stop at 255 bytes (Samba on a Linux disk does) and says only 255.
bool IsKernelShare(const Mount& mount) {
    static const QByteArrayList types{"cifs", "smb3", "smbfs"};
    return types.contains(mount.type);
}

// The same through FUSE clients (the NTFS and exFAT ones mount as "fuseblk", or "fuse" on an
// image), some of which also stop at 255 bytes: lowntfs-3g and fusefat do, ntfs-3g and
// exfat-fuse do not, and none says which it is.
bool IsWindowsFuseVolume(const Mount& mount, const QByteArray& folder) {
    static const QByteArrayList types{"fuseblk", "fuse", "fuse.fusefat", "fuse.smbnetfs"};
    return types.contains(mount.type) ||
           (mount.type == "fuse.gvfsd-fuse" && folder.contains("/smb-share:"));
}

bool IsReservedDeviceName(QStringView name) {
    static const QStringList devices{u"CON"_qs, u"PRN"_qs, u"AUX"_qs, u"NUL"_qs};
    const QStringView stem = name.first(name.contains(u'.') ? name.indexOf(u'.') : name.size());
    const bool numbered = stem.size() == 4 &&
                          (stem.first(3).compare(u"COM", Qt::CaseInsensitive) == 0 ||
                           stem.first(3).compare(u"LPT", Qt::CaseInsensitive) == 0) &&
                          stem.at(3) >= u'1' && stem.at(3) <= u'9';
    return numbered || std::any_of(devices.begin(), devices.end(), [&](const QString& device) {
               return stem.compare(device, Qt::CaseInsensitive) == 0;
           });
}

// A volume that ignores case finds a listed name under another spelling that is not listed.
bool IgnoresCase(const SystemCalls& system, const QByteArray& folder, const QStringList& entries) {
    for (const QString& entry : entries) {
        const QString other = entry.toUpper() == entry ? entry.toLower() : entry.toUpper();
        const std::optional<QByteArray> encoded = EncodeName(other);
        if (other == entry || entries.contains(other) || !encoded)
            continue;
        struct stat info {};
        return system.linkStatus(AT_FDCWD, InFolder(folder, *encoded), info).ok();
    }
    return false;
}

} // namespace

QString VolumeRules::refusal(QStringView name, const QByteArray& encoded) const {
    if ((windowsNames && name.size() > kWindowsLimit) ||
        (byteLimit > 0 && encoded.size() > byteLimit))
        return u"longer than this volume allows"_qs;
    if (!windowsNames)
        return {};
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || QStringView(u"\"*:<>?\\|").contains(c))
            return u"this volume does not take the character \"%1\""_qs.arg(
                c.unicode() < 0x20 ? u"^"_qs + QChar(c.unicode() + 0x40) : QString(c));
    }
    if (name.endsWith(u'.') || name.endsWith(u' '))
        return u"this volume drops a trailing dot or space"_qs;
    if (IsReservedDeviceName(name))
        return u"a device name on this volume"_qs;
    return {};
}

bool CachesListing(const SystemCalls& system, const QByteArray& folder) {
    static const QByteArrayList types{"fuse.rclone", "davfs", "fuse.davfs"};
    const std::optional<Mount> mount =
        MountHolding(ReadMountTable(system, "/proc/self/mounts"), folder);
    // davfs2 may show as plain "fuse"; what it mounts is a web address all the same.
    return mount && (types.contains(mount->type) || mount->device.startsWith("http://") ||
                     mount->device.startsWith("https://"));
}

VolumeRules RulesOfVolume(const SystemCalls& system, const QByteArray& folder,
                          const QStringList& entries) {
    VolumeRules rules;
    const std::optional<Mount> mount =
        MountHolding(ReadMountTable(system, "/proc/self/mounts"), folder);
    const bool kernelWindows = mount && IsWindowsKernelVolume(*mount);
    rules.windowsNames =
        kernelWindows || (mount && (IsKernelShare(*mount) || IsWindowsFuseVolume(*mount, folder)));
    rules.unwatched = mount && IsNetworkOrFuse(mount->type);
    // A volume that does not say keeps the 255 bytes of every Linux file system. A share or a
    // FUSE client of Windows' names may say more than the volume behind it takes (smbnetfs and
    // Samba do), so it is held to 255 bytes unless it already holds a longer name.
    qint64 limit = kWindowsLimit;
    if (!rules.windowsNames && (!system.nameLimit(folder, limit).ok() || limit <= 0))
        limit = kWindowsLimit;
    // At most three bytes a UTF-16 unit: most names are measured without being encoded.
    const bool holdsLonger = std::any_of(entries.begin(), entries.end(), [&](const QString& entry) {
        return entry.size() * 3 > limit && entry.toUtf8().size() > limit;
    });
    rules.byteLimit = kernelWindows || (rules.windowsNames && holdsLonger) ? 0 : limit;
    rules.ignoresCase = IgnoresCase(system, folder, entries);
    return rules;
}

} // namespace corvane
