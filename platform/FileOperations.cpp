// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileOperations.h"

#include "platform/HostPaths.h"
#include "platform/NameCodec.h"
#include "platform/RenameRecovery.h"
#include "platform/RenameSteps.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace corvane {
namespace {

constexpr int kAsideAttempts = 100;

struct Outcome {
    Outcome(int error = 0, QByteArray leftAs = {}) : error(error), leftAs(std::move(leftAs)) {}
    int error;         // 0 or -errno
    QByteArray leftAs; // the name the file is stranded under, if any
};

// One rename within a host folder, from the cheapest way the volume offers to the safest.
class VolumeRename {
public:
    // `folder` is the open folder the steps happen in, `journalled` the path the journal names
    // it by.
    VolumeRename(const SystemCalls& system, const QByteArray& journalPath, int folder,
                 QByteArray journalled, QByteArray from, QByteArray to)
        : m_system(system), m_journal(system, journalPath), m_folder(folder),
          m_journalled(std::move(journalled)), m_from(std::move(from)), m_to(std::move(to)) {}

    Outcome run(bool caseOnly) {
        int renamed = m_system.renameNoReplace(m_folder, m_from, m_to);
        if (renamed == -EINVAL) {
            if (const int written = m_journal.begin({m_journalled, m_from, m_to, {}}); written < 0)
                return {written};
            const StepResult step = MoveWithoutNoReplace(m_system, m_folder, m_from, m_to);
            if (step.stranded)
                return strand(step.error, m_to);
            renamed = step.error;
        }
        if (renamed == -EEXIST && caseOnly) {
            // A volume that ignores case finds the file itself under its new spelling.
            const int listed = ListsExactly(m_system, m_folder, m_to);
            if (listed == 0)
                return throughFreeName();
            if (listed < 0)
                return {listed};
        }
        if (renamed < 0 || !caseOnly)
            return {renamed};
        return confirmSpelling();
    }

private:
    Outcome strand(int error, const QByteArray& leftAs) {
        m_journal.keep();
        return {error, leftAs};
    }

    // Steps aside to a free name and on to the new spelling, so that the spelling sticks.
    Outcome throughFreeName() {
        for (int attempt = 0; attempt < kAsideAttempts; ++attempt) {
            const QByteArray aside = ".corvane-rename-" + QByteArray::number(attempt);
            if (const int written = m_journal.begin({m_journalled, m_from, m_to, aside});
                written < 0)
                return {written};
            const StepResult out = MoveToFreeName(m_system, m_folder, m_from, aside);
            if (out.error == -EEXIST)
                continue;
            if (out.stranded)
                return strand(out.error, aside);
            if (out.error < 0)
                return {out.error};
            const StepResult in = MoveToFreeName(m_system, m_folder, aside, m_to);
            if (in.error == 0)
                return confirmSpelling();
            if (in.stranded || MoveToFreeName(m_system, m_folder, aside, m_from).error < 0)
                return strand(in.error, aside);
            return {in.error};
        }
        return {-EEXIST};
    }

    // A volume may take a case-only rename and keep the old spelling.
    Outcome confirmSpelling() {
        struct stat info {};
        if (m_system.linkStatus(m_folder, m_from, info) == -ENOENT)
            return {};
        const int listed = ListsExactly(m_system, m_folder, m_to);
        if (listed < 0)
            return {listed};
        return {listed == 1 ? 0 : -EROFS};
    }

    const SystemCalls& m_system;
    RenameJournal m_journal;
    int m_folder;
    QByteArray m_journalled;
    QByteArray m_from;
    QByteArray m_to;
};

} // namespace

bool IsBareFileName(QStringView name) {
    return IsEntryName(name) && !name.contains(u'\\');
}

bool MayRenameTo(QStringView oldName, QStringView newName) {
    // A leading dot would hide a visible file from the list and from every file manager.
    const bool hides = newName.startsWith(u'.') && !oldName.startsWith(u'.');
    return IsBareFileName(newName) && !hides;
}

std::optional<EntryId> FolderIdOf(const DriveTable& drives, QStringView folder) {
    const std::optional<QByteArray> host = drives.resolve(folder).host;
    struct stat info {};
    if (!host || drives.system().status(AT_FDCWD, *host, info) < 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    return EntryId{info.st_dev, info.st_ino};
}

FolderOnHost::FolderOnHost(const DriveTable& drives, QStringView folder)
    : m_drives(drives), m_journal(drives.journalPath()) {
    const DriveTable::Resolved resolved = drives.resolve(folder);
    m_host = resolved.host;
    const int fd = m_host ? drives.system().open(AT_FDCWD, *m_host, O_PATH | O_DIRECTORY) : -ENOENT;
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        if (fd >= 0)
            drives.system().close(fd);
        m_unmappable = m_host ? CodeForFailure(-fd, *m_host) : resolved.code;
        m_host.reset();
        return;
    }
    m_fd = fd;
    m_id = EntryId{info.st_dev, info.st_ino};
}

FolderOnHost::~FolderOnHost() {
    if (m_fd >= 0)
        m_drives.system().close(m_fd);
}

RenameResult FolderOnHost::rename(QStringView oldName, QStringView newName) const {
    return rename(oldName, newName, EncodeName(oldName), EncodeName(newName));
}

RenameResult FolderOnHost::rename(QStringView oldName, QStringView newName,
                                  const std::optional<QByteArray>& encodedOld,
                                  const std::optional<QByteArray>& encodedNew) const {
    if (!encodedNew || !MayRenameTo(oldName, newName) || !IsEntryName(oldName))
        return {kBadFileName};
    if (!m_host)
        return {m_unmappable};
    if (oldName == newName)
        return {};
    if (!encodedOld)
        return {kFileNotFound};
    // The entry must still be what the list showed: a plain file, or a link to one.
    struct stat entry {};
    if (m_drives.system().status(m_fd, *encodedOld, entry) < 0 || !S_ISREG(entry.st_mode))
        return {kFileNotFound};

    const bool caseOnly = oldName.compare(newName, Qt::CaseInsensitive) == 0;
    const Outcome outcome =
        VolumeRename(m_drives.system(), m_journal, m_fd, *m_host, *encodedOld, *encodedNew)
            .run(caseOnly);
    if (outcome.error == 0)
        return {};
    return {CodeForFailure(-outcome.error, *m_host), DecodeName(outcome.leftAs)};
}

bool FolderOnHost::holds(QStringView name) const {
    const std::optional<QByteArray> encoded = EncodeName(name);
    struct stat info {};
    return m_host && encoded && IsEntryName(name) &&
           m_drives.system().linkStatus(m_fd, *encoded, info) == 0;
}

QList<PendingRename> RepairPendingRenames(const DriveTable& drives) {
    return RecoverPendingRenames(drives.system(), drives.journalPath());
}

FileErrorCode DeleteFile(const DriveTable& drives, QStringView path) {
    const DriveTable::Resolved resolved = drives.resolve(path);
    if (!resolved.host)
        return resolved.code;
    const int result = drives.system().unlink(AT_FDCWD, *resolved.host);
    return result < 0 ? CodeForFailure(-result, ParentOf(*resolved.host)) : kNoError;
}

} // namespace corvane
