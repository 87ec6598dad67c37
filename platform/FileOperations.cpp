// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileOperations.h"

#include "platform/HostPaths.h"
#include "platform/NameCodec.h"
#include "platform/PlainFileLookAhead.h"
#include "platform/RenameJournal.h"
#include "platform/RenameSteps.h"
#include "platform/VolumeRules.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <system_error>
#include <utility>

namespace corvane {
namespace {

constexpr int kAsideAttempts = 100;

// The free names a case-only rename steps aside through: "Song (2).mp3", "Song (3).mp3"…, in
// sight, so that a file a newcomer leaves stranded there is found in the list. Only where such a
// name would be too long, a hidden one.
QByteArray AsideName(const QByteArray& to, int attempt, bool hidden) {
    if (hidden)
        return ".corvane-rename-" + QByteArray::number(attempt);
    const qsizetype dot = to.lastIndexOf('.');
    const qsizetype stem = dot > 0 ? dot : to.size();
    return to.first(stem) + " (" + QByteArray::number(attempt + 2) + ')' + to.sliced(stem);
}

struct Outcome {
    Outcome(SysResult answer = {}, QByteArray leftAs = {})
        : answer(answer), leftAs(std::move(leftAs)) {}
    SysResult answer;
    QByteArray leftAs; // the name the file is stranded under, if any
};

// One rename within a host folder, from the cheapest way the volume offers to the safest.
class VolumeRename {
public:
    // `folder` is the open folder the steps happen in, `journalled` the path the journal names
    // it by.
    VolumeRename(const SystemCalls& system, const QByteArray& journalPath, int folder,
                 const QByteArray& journalled, const QByteArray& from, const QByteArray& to)
        : m_system(system), m_journal(system, journalPath), m_folder(folder),
          m_journalled(journalled), m_from(from), m_to(to) {}

    Outcome run(bool caseOnly) {
        SysResult renamed = m_system.renameNoReplace(m_folder, m_from, m_to);
        if (renamed.error == EINVAL) {
            if (const SysResult written = m_journal.begin({m_journalled, m_from, m_to, {}});
                !written.ok())
                return {written};
            const StepResult step = MoveWithoutNoReplace(m_system, m_folder, m_from, m_to);
            if (step.stranded)
                return strand(step.answer, m_to);
            renamed = step.answer;
        }
        if (renamed.error == EEXIST && caseOnly) {
            // A volume that ignores case finds the file itself under its new spelling.
            const Listed listed = ListsExactly(m_system, m_folder, m_to);
            if (!listed.read.ok())
                return {listed.read};
            if (!listed.exactly)
                return throughFreeName();
        }
        if (!renamed.ok() || !caseOnly)
            return {renamed};
        return confirmSpelling();
    }

    // Whether a step of this rename is written in the journal, to be let go with the rename.
    bool journalled() const { return m_journal.holdsStep(); }

private:
    Outcome strand(const SysResult& failure, const QByteArray& leftAs) {
        m_journal.keep();
        return {failure, leftAs};
    }

    // Steps aside to a free name and on to the new spelling, so that the spelling sticks.
    Outcome throughFreeName() {
        // Moved by the name just looked up, which the kernel cifs client keeps in its cache as a
        // second name of the file: moved by its old name, the new one would stay taken for a while.
        const QByteArray& source = sameFile(m_from, m_to) ? m_to : m_from;
        bool hidden = false;
        for (int attempt = 0; attempt < kAsideAttempts; ++attempt) {
            const QByteArray aside = AsideName(m_to, attempt, hidden);
            if (const SysResult written = m_journal.begin({m_journalled, m_from, m_to, aside});
                !written.ok())
                return {written};
            const StepResult out = MoveToFreeName(m_system, m_folder, source, aside);
            if (out.answer.error == EEXIST)
                continue;
            if (out.answer.error == ENAMETOOLONG && !std::exchange(hidden, true)) {
                attempt = -1;
                continue;
            }
            if (out.stranded)
                return strand(out.answer, aside);
            if (!out.answer.ok())
                return {out.answer};
            const StepResult in = MoveToFreeName(m_system, m_folder, aside, m_to);
            if (in.answer.ok())
                return confirmSpelling();
            if (in.stranded || !MoveToFreeName(m_system, m_folder, aside, m_from).answer.ok())
                return strand(in.answer, aside);
            return {in.answer};
        }
        return {SysResult::Failed(EEXIST)};
    }

    bool sameFile(const QByteArray& a, const QByteArray& b) const {
        struct stat first {};
        struct stat second {};
        return m_system.linkStatus(m_folder, a, first).ok() &&
               m_system.linkStatus(m_folder, b, second).ok() && first.st_dev == second.st_dev &&
               first.st_ino == second.st_ino;
    }

    // A volume may take a case-only rename and keep the old spelling.
    Outcome confirmSpelling() {
        struct stat info {};
        if (m_system.linkStatus(m_folder, m_from, info).error == ENOENT)
            return {};
        const Listed listed = ListsExactly(m_system, m_folder, m_to);
        if (!listed.read.ok())
            return {listed.read};
        return {listed.exactly ? SysResult{} : SysResult::Failed(EROFS)};
    }

    const SystemCalls& m_system;
    RenameJournal m_journal;
    int m_folder;
    const QByteArray& m_journalled;
    const QByteArray& m_from;
    const QByteArray& m_to;
};

// Kernel file systems whose folders are indexed or held in memory: looking up a name there neither
// crosses a network nor scans the folder under its lock. Those on a disk keep a journal, which a
// sync of the folder writes out with every rename in it.
bool HasCheapLookups(qint64 type) {
    return type == EXT4_SUPER_MAGIC || type == XFS_SUPER_MAGIC || type == BTRFS_SUPER_MAGIC ||
           type == TMPFS_MAGIC;
}

// The kernel's vfat writes a renamed file's new entry with no first cluster and no size, and
// fills them in only when it writes the file itself, seconds later: a stick pulled in between
// leaves the file empty under its new name and its music in clusters no entry points to.
bool EmptiesRenamedFilesWhenCut(qint64 type) {
    return type == MSDOS_SUPER_MAGIC;
}

} // namespace

bool IsBareFileName(QStringView name) {
    return IsEntryName(name) && !name.contains(u'\\');
}

bool MayRenameTo(QStringView oldName, QStringView newName) {
    // A leading dot would hide a visible file from the list and from every file manager.
    const bool hides = newName.startsWith(u'.') && !oldName.startsWith(u'.');
    return IsBareFileName(newName) && !hides;
}

FolderOnHost::FolderOnHost(const DriveTable& drives, QStringView folder)
    : m_drives(drives), m_journal(drives.journalPath()) {
    const SystemCalls& system = drives.system();
    const DriveTable::Resolved resolved = drives.resolve(folder);
    m_host = resolved.host;
    if (!m_host) {
        m_refusal = resolved.code;
        return;
    }
    const SysResult opened = system.open(AT_FDCWD, *m_host, O_PATH | O_DIRECTORY);
    struct stat info {};
    const SysResult status = opened.ok() ? system.status(opened.fd(), {}, info) : opened;
    if (!status.ok()) {
        // An O_PATH descriptor reads and writes nothing: its close has nothing to lose.
        if (opened.ok())
            system.close(opened.fd());
        m_refusal = CodeForFailure(system, status, *m_host);
        m_host.reset();
        return;
    }
    m_fd = opened.fd();
    m_id = EntryId::Of(info);
    qint64 type = 0;
    if (system.volumeType(m_fd, type).ok()) {
        m_cheapLookups = HasCheapLookups(type);
        m_settlesEachRename = EmptiesRenamedFilesWhenCut(type);
    }
    // The undo log and the journal are never renamed, least of all while a batch writes them.
    m_refusal = drives.isStateFolder(*m_id)      ? kOwnFiles
                : CachesListing(system, *m_host) ? kVolumeCaches
                                                 : kNoError;
    if (m_refusal != kNoError)
        m_host.reset();
}

FolderOnHost::~FolderOnHost() {
    // The look-ahead stops before the folder it looks in is let go.
    m_ahead.reset();
    // Neither an O_PATH descriptor nor a folder opened to read has anything to lose in a close.
    if (m_fd >= 0)
        m_drives.system().close(m_fd);
    if (m_readableFd >= 0)
        m_drives.system().close(m_readableFd);
}

RenameResult FolderOnHost::rename(QStringView oldName, QStringView newName) const {
    const std::optional<QByteArray> encodedOld = EncodeName(oldName);
    const std::optional<QByteArray> encodedNew = EncodeName(newName);
    return rename(oldName, newName, encodedOld ? &*encodedOld : nullptr,
                  encodedNew ? &*encodedNew : nullptr);
}

RenameResult FolderOnHost::rename(QStringView oldName, QStringView newName,
                                  const QByteArray* encodedOld,
                                  const QByteArray* encodedNew) const {
    if (!encodedNew || !IsEntryName(oldName))
        return {kBadFileName};
    if (!m_host)
        return {m_refusal};
    if (oldName == newName)
        return {};
    if (!MayRenameTo(oldName, newName))
        return {kBadFileName};
    if (!encodedOld)
        return {kFileNotFound};
    // The entry must still be what the list showed: a plain file, or a link to one.
    if (!isPlainFile(*encodedOld))
        return {kFileNotFound};

    const bool caseOnly = oldName.compare(newName, Qt::CaseInsensitive) == 0;
    // The journal, if the rename needed one, is let go only once the rename is on the device.
    VolumeRename steps(m_drives.system(), m_journal, m_fd, *m_host, *encodedOld, *encodedNew);
    Outcome outcome = steps.run(caseOnly);
    if (outcome.answer.ok())
        outcome.answer = settle(steps.journalled());
    if (outcome.answer.ok())
        return {};
    return {CodeForFailure(m_drives.system(), outcome.answer, *m_host), DecodeName(outcome.leftAs)};
}

SysResult FolderOnHost::settle(bool journalled) const {
    // The whole volume in one call: the file's own entry filled in before the folder's blocks
    // are written, the old entry's removal and the cluster table with them. A rename of more
    // than one step reaches the device whole before its journal entry goes, on any volume: a
    // stick pulled after the entry went could otherwise keep only the first step, and strand
    // the file under a name that nothing would send on.
    if (!m_settlesEachRename && !journalled)
        return {};
    const SysResult folder = readableFolder();
    return folder.ok() ? m_drives.system().syncVolume(folder.fd()) : folder;
}

FileErrorCode FolderOnHost::finish() const {
    if (!m_host)
        return kNoError;
    // A journalled disk writes out every rename in the folder with the folder's own sync; any
    // other volume may hold them anywhere until it is written out whole.
    SysResult synced = readableFolder();
    if (synced.ok())
        synced = m_cheapLookups ? m_drives.system().sync(synced.fd())
                                : m_drives.system().syncVolume(synced.fd());
    return synced.ok() ? kNoError : CodeForFailure(m_drives.system(), synced, *m_host);
}

SysResult FolderOnHost::readableFolder() const {
    // Opened once: a batch that syncs after each rename would pay for an open and a close each.
    if (m_readableFd < 0) {
        const SysResult opened = m_drives.system().open(m_fd, ".", O_RDONLY | O_DIRECTORY);
        if (!opened.ok())
            return opened;
        m_readableFd = opened.fd();
    }
    return {0, m_readableFd};
}

bool FolderOnHost::holds(QStringView name) const {
    const std::optional<QByteArray> encoded = EncodeName(name);
    struct stat info {};
    return m_host && encoded && IsEntryName(name) &&
           m_drives.system().linkStatus(m_fd, *encoded, info).ok();
}

void FolderOnHost::readEntries() {
    if (!m_host)
        return;
    // Only the few entries that are no plain files are kept, as they come.
    const SysResult read = m_drives.system().readFolder(
        m_fd, ".", [this](QByteArrayView name, FolderEntry::Kind kind) {
            if (kind != FolderEntry::Kind::File)
                m_notFiles.insert(name.toByteArray());
        });
    // Read in part, each rename looks at its own file.
    m_entriesRead = read.ok();
    if (!m_entriesRead)
        m_notFiles.clear();
}

void FolderOnHost::lookAhead(QList<const QByteArray*> names) {
    if (!m_host)
        return;
    try {
        m_ahead = std::make_unique<PlainFileLookAhead>(m_drives.system(), m_fd, std::move(names));
    } catch (const std::system_error&) {
        // Without a thread of its own, each rename looks at its file itself.
    }
}

bool FolderOnHost::isPlainFile(const QByteArray& name) const {
    if (m_ahead) {
        if (const std::optional<bool> plain = m_ahead->answerFor(name))
            return *plain;
    }
    // A name the folder did not hold when it was read is missing, and its rename says so. The
    // few that were no plain files are looked at again: a link may dangle only for now.
    if (m_entriesRead && !m_notFiles.contains(name))
        return true;
    return IsPlainFileOrLink(m_drives.system(), m_fd, name);
}

FileErrorCode DeleteFile(const DriveTable& drives, QStringView path) {
    const DriveTable::Resolved resolved = drives.resolve(path);
    if (!resolved.host)
        return resolved.code;
    const SysResult removed = drives.system().unlink(AT_FDCWD, *resolved.host);
    return removed.ok() ? kNoError
                        : CodeForFailure(drives.system(), removed, ParentOf(*resolved.host));
}

} // namespace corvane
