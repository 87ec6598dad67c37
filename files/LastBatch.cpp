// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/LastBatch.h"

#include "files/RenameRepair.h"
#include "platform/FileOperations.h"
#include "platform/LogFile.h"

#include <QtConcurrentRun>

namespace corvane {
namespace {

QByteArray DigestOfRecords(const QList<RenamePlan>& plans, qsizetype count) {
    QCryptographicHash digest(kUndoLogDigest);
    for (qsizetype i = 0; i < count; ++i)
        digest.addData(UndoRecordBytes(plans.at(i).newBytes, plans.at(i).oldBytes).view());
    return digest.result();
}

// The plans' present names, in the order the batch comes to them.
QList<const QByteArray*> OldNamesOf(const QList<RenamePlan>& plans) {
    QList<const QByteArray*> names;
    names.reserve(plans.size());
    for (const RenamePlan& plan : plans)
        names.append(&plan.oldBytes);
    return names;
}

} // namespace

BatchOutcome RunBatchJob(const BatchJob& job, const BatchProgress& progress) {
    BatchOutcome outcome;
    outcome.unfinished = RepairUnfinishedRenames(job.drives);
    outcome.folderPath = job.folder;
    FolderOnHost folder(job.drives, job.folder);
    if (folder.id() && job.listed && folder.id() != job.listed) {
        outcome.result.code = kFolderReplaced;
        return outcome;
    }
    // A folder where nothing may be renamed is refused before the last batch's log is given up.
    if (folder.refusal() != kNoError) {
        outcome.result.code = folder.refusal();
        return outcome;
    }
    // Each file is looked at on another core ahead of its rename; where a look would cost a
    // round trip, the folder is read there once instead, while the log is emptied and made ready.
    QFuture<void> entries;
    if (folder.looksUpCheaply())
        folder.lookAhead(OldNamesOf(job.plans));
    else
        entries = QtConcurrent::run([&folder] { folder.readEntries(); });
    LogFile log(job.drives);
    const FileErrorCode opened = log.open(UndoLogPath(), LogFile::Mode::WriteFromEmpty);
    entries.waitForFinished();
    if (opened != kNoError) {
        outcome.result.code = opened;
        return outcome;
    }
    // The log will hold exactly the records of the files renamed, in order: its digest needs no
    // reading back, and is made on another core while the renames run, for a batch that ends.
    const QFuture<QByteArray> everyRecord =
        QtConcurrent::run([&job] { return DigestOfRecords(job.plans, job.plans.size()); });
    outcome.result = RunPlans(folder, job.plans, log, progress);
    outcome.folder = folder.id();
    const qsizetype renamed = outcome.result.renamed;
    const QByteArray digest = everyRecord.result();
    outcome.log = {kNoError, log.id(),
                   renamed == job.plans.size() ? digest : DigestOfRecords(job.plans, renamed)};
    return outcome;
}

namespace {

// Why Undo may not rename in `folder` from the log on disk, read into `parser`; 0 when the two
// are the batch's own. A folder that cannot be proven the batch's own (moved, replaced, or on a
// volume mounted anew that does not keep its identity) is refused.
FileErrorCode Refusal(const UndoJob& job, const FolderOnHost& folder, UndoLogParser& parser) {
    if (folder.id() != job.folderId)
        return kFolderReplaced;
    if (folder.refusal() != kNoError)
        return folder.refusal();
    const UndoLogOnDisk log = ReadUndoLog(job.drives, parser);
    if (log.code != kNoError)
        return log.code;
    return log == job.log ? kNoError : kLogReplaced;
}

} // namespace

UndoOutcome RunUndoJob(const UndoJob& job, const BatchProgress& progress) {
    UndoOutcome outcome;
    outcome.unfinished = RepairUnfinishedRenames(job.drives);
    FolderOnHost folder(job.drives, job.folder);
    // The folder is read on another core while the log is read and checked.
    QFuture<void> entries = QtConcurrent::run([&folder] { folder.readEntries(); });
    UndoLogParser parser;
    const FileErrorCode refusal = Refusal(job, folder, parser);
    entries.waitForFinished();
    if (refusal != kNoError) {
        outcome.result.code = refusal;
        outcome.result.refused = true;
        return outcome;
    }
    outcome.result = UndoFromLog(folder, parser.finish(), progress);
    return outcome;
}

QString LastBatch::start() const {
    const QString unfinished = RepairUnfinishedRenames(m_drives);
    // A log that cannot be made is no failure yet: the first batch meets it and says why. One
    // that another window's batch is writing is left to it.
    LogFile log(m_drives);
    if (log.open(UndoLogPath(), LogFile::Mode::Keep) != kNoError)
        return unfinished;
    // A killed batch's log keeps its whole records; a failed cut leaves it as the kill did.
    if (const std::optional<qint64> end = UnfinishedLogEnd(m_drives))
        log.cut(*end);
    return unfinished;
}

BatchJob LastBatch::batch(const QString& folder, std::optional<EntryId> listed,
                          QList<RenamePlan> plans) {
    m_stevec = -1;
    return {m_drives, folder, listed, std::move(plans)};
}

void LastBatch::finish(const BatchOutcome& outcome) {
    if (!outcome.result.logRewritten)
        return;
    // The previous batch's log is gone: only this one can be undone now, if it renamed anything.
    const BatchResult& result = outcome.result;
    m_canUndo =
        outcome.folder && ((result.code == kNoError && !result.cancelled) || result.renamed > 0);
    m_folderPath = outcome.folderPath;
    m_folder = outcome.folder.value_or(EntryId());
    m_log = outcome.log;
}

std::optional<UndoJob> LastBatch::undo() const {
    if (!m_canUndo)
        return std::nullopt;
    return UndoJob{m_drives, m_folderPath, m_folder, m_log};
}

void LastBatch::finish(const UndoOutcome& outcome) {
    // An Undo refused for a folder or log not the batch's own can be tried again.
    if (!outcome.result.refused)
        m_canUndo = outcome.result.cancelled;
}

void LastBatch::deleteLog() const {
    // A log another window's batch is writing is that batch's to keep.
    if (LogFile(m_drives).open(UndoLogPath(), LogFile::Mode::Keep) == kLogInUse)
        return;
    // The window closes whatever happens here: a log left behind is emptied by the next batch.
    DeleteFile(m_drives, UndoLogPath());
}

} // namespace corvane
