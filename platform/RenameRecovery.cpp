// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RenameRecovery.h"

#include "platform/HostPaths.h"
#include "platform/NameCodec.h"
#include "platform/RenameSteps.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>

namespace corvane {
namespace {

// A journal larger than this was not written by this program.
constexpr qsizetype kLargestJournal = 1 << 20;

struct Found {
    QByteArray name; // as the folder lists it
    QByteArray role; // the name of the rename it stands for
    struct stat info;
};

bool IsEmptyFile(const Found& found) {
    return S_ISREG(found.info.st_mode) && found.info.st_size == 0;
}

// Two names of one file. A volume with stable inodes says so by device and inode; one that
// numbers each name apart (sshfs) shows the same size, times and bytes under both.
bool IsSameFile(const SystemCalls& system, const QByteArray& folder, const Found& a,
                const Found& b) {
    if (a.info.st_dev == b.info.st_dev && a.info.st_ino == b.info.st_ino)
        return true;
    const bool alike = S_ISREG(a.info.st_mode) && S_ISREG(b.info.st_mode) &&
                       a.info.st_size == b.info.st_size &&
                       a.info.st_mtim.tv_sec == b.info.st_mtim.tv_sec &&
                       a.info.st_mtim.tv_nsec == b.info.st_mtim.tv_nsec;
    if (!alike)
        return false;
    const std::optional<QByteArray> first =
        ReadWhole(system, InFolder(folder, a.name), a.info.st_size);
    return first && first == ReadWhole(system, InFolder(folder, b.name), b.info.st_size);
}

// The listed entry that stands for `name`: spelled exactly, else, on a volume that ignores case
// or shows every name in lower case, spelled otherwise. Only the listing counts: such a volume
// may still answer a lookup of a spelling it no longer holds.
std::optional<QByteArray> ListedAs(const SystemCalls& system, const QByteArray& folder,
                                   const QList<FolderEntry>& entries, const QByteArray& name) {
    const auto exact = std::find_if(entries.begin(), entries.end(),
                                    [&](const FolderEntry& entry) { return entry.name == name; });
    if (exact != entries.end())
        return name;
    const QString spelling = DecodeName(name);
    struct stat info {};
    for (const FolderEntry& entry : entries) {
        if (DecodeName(entry.name).compare(spelling, Qt::CaseInsensitive) == 0 &&
            system.linkStatus(AT_FDCWD, InFolder(folder, name), info).ok())
            return entry.name;
    }
    return std::nullopt;
}

// The entries that hold the rename's names, in the order they are preferred: the old name first,
// so that a step cut short is taken back. Two spellings of one entry count once, as the one
// the folder shows.
bool FindNames(const SystemCalls& system, const PendingRename& rename, QList<Found>& found) {
    QList<FolderEntry> entries;
    if (!ReadFolder(system, AT_FDCWD, rename.folder, entries).ok())
        return false;
    for (const QByteArray& role : {rename.from, rename.to, rename.aside}) {
        const std::optional<QByteArray> listed =
            role.isEmpty() ? std::nullopt : ListedAs(system, rename.folder, entries, role);
        if (!listed)
            continue;
        const auto same = std::find_if(found.begin(), found.end(),
                                       [&](const Found& entry) { return entry.name == *listed; });
        if (same != found.end()) {
            if (*listed == role)
                same->role = role;
            continue;
        }
        struct stat info {};
        if (!system.linkStatus(AT_FDCWD, InFolder(rename.folder, *listed), info).ok())
            return false;
        found.append({*listed, role, info});
    }
    return !found.isEmpty();
}

bool Remove(const SystemCalls& system, const PendingRename& rename, const Found& found) {
    return system.unlink(AT_FDCWD, InFolder(rename.folder, found.name)).ok();
}

bool Repair(const SystemCalls& system, const PendingRename& rename) {
    QList<Found> found;
    if (!FindNames(system, rename, found))
        return false;
    // An empty file beside the full one reserved a name that never got its file.
    const bool anyFull = std::any_of(found.begin(), found.end(),
                                     [](const Found& entry) { return !IsEmptyFile(entry); });
    for (qsizetype i = found.size() - 1; anyFull && i >= 0; --i) {
        if (IsEmptyFile(found.at(i))) {
            if (!Remove(system, rename, found.at(i)))
                return false;
            found.removeAt(i);
        }
    }
    // Any other name is a link of the kept one, left by a step between link and unlink.
    const Found kept = found.first();
    for (qsizetype i = 1; i < found.size(); ++i) {
        const bool duplicate = !anyFull || IsSameFile(system, rename.folder, kept, found.at(i));
        if (!duplicate || !Remove(system, rename, found.at(i)))
            return false;
    }
    if (kept.role != rename.aside)
        return true;
    // The kernel cifs client still answers for the names the file had before the kill, as long as
    // the file is looked at under any name: a look-up forced to the server, then a plain one, let
    // them go.
    for (const QByteArray& name : {rename.to, rename.from}) {
        struct stat info {};
        system.askVolume(AT_FDCWD, InFolder(rename.folder, name));
        system.linkStatus(AT_FDCWD, InFolder(rename.folder, name), info);
    }
    // A file stepped aside goes on to its new name once that is free, else back to its old one.
    const QByteArray aside = InFolder(rename.folder, kept.name);
    return MoveToFreeName(system, AT_FDCWD, aside, InFolder(rename.folder, rename.to))
               .answer.ok() ||
           MoveToFreeName(system, AT_FDCWD, aside, InFolder(rename.folder, rename.from))
               .answer.ok();
}

} // namespace

QList<PendingRename> RecoverPendingRenames(const SystemCalls& system,
                                           const QByteArray& journalPath) {
    QList<PendingRename> unrepaired;
    // No journal is nothing pending; one that cannot be opened is tried again at the next action.
    const SysResult opened = system.open(AT_FDCWD, journalPath, O_RDWR | O_APPEND | O_NOFOLLOW);
    if (!opened.ok())
        return unrepaired;
    const int fd = opened.fd();
    // A journal locked by a step in flight in another window is that window's to finish.
    if (system.lock(fd, false).ok()) {
        QByteArray bytes;
        const SysResult read =
            ReadPieces(system, fd, kLargestJournal, [&](QByteArrayView piece) { bytes += piece; });
        for (const PendingRename& rename : ParsePendingRenames(bytes)) {
            if (!Repair(system, rename))
                unrepaired.append(rename);
        }
        // A journal not read to its end is not rewritten, so nothing it holds is lost.
        if (read.ok() && !bytes.isEmpty()) {
            QByteArray kept;
            for (const PendingRename& rename : unrepaired)
                kept += FormatPendingRename(rename);
            // Should the journal not be rewritten, a repaired entry that stays is found repaired
            // next time; an unrepaired one that is lost is still named to the user now.
            if (system.truncate(fd, 0).ok())
                WriteWhole(system, fd, kept, 0);
        }
    }
    // Only the lock is let go: what was written is the journal's either way.
    system.close(fd);
    return unrepaired;
}

} // namespace corvane
