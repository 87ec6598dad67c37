#include "files/UndoJournal.h"

#include "files/UndoLog.h"
#include "platform/FileOperations.h"
#include "platform/LogFile.h"

#include <QCryptographicHash>

namespace corvane {
namespace {

QByteArray Digest(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

} // namespace

UndoJournal::UndoJournal(const DriveTable& drives) : m_drives(drives) {}

UndoJournal::~UndoJournal() = default;

void UndoJournal::createLog() const {
    LogFile log(m_drives);
    log.open(UndoLogPath(), LogFile::Mode::Append);
}

BatchResult UndoJournal::runBatch(const QString& folder, std::optional<EntryId> listed,
                                  const QStringList& names, const RenameOptions& options) {
    RepairPendingRenames(m_drives);
    auto held = std::make_unique<FolderOnHost>(m_drives, folder);
    if (held->id() && listed && held->id() != listed) {
        BatchResult refused;
        refused.code = kFolderReplaced;
        return refused;
    }
    const BatchResult result = RunBatch(m_drives, *held, names, options, UndoLogPath());
    if (!result.logRewritten)
        return result;
    // The previous batch's log is gone: only this one can be undone now, if it renamed anything.
    m_canUndo = result.code == kNoError || result.renamed > 0;
    m_folderPath = folder;
    m_folder = std::move(held);
    const FileContents written = ReadWholeFile(m_drives, UndoLogPath(), kLargestUndoLog);
    m_logId = written.id;
    m_logDigest = Digest(written.bytes);
    return result;
}

UndoResult UndoJournal::undo() {
    UndoResult result;
    if (!m_canUndo)
        return result;
    RepairPendingRenames(m_drives);
    if (!m_folder->id() || FolderIdOf(m_drives, m_folderPath) != m_folder->id()) {
        result.code = kFolderReplaced;
        return result;
    }
    const FileContents log = ReadWholeFile(m_drives, UndoLogPath(), kLargestUndoLog);
    if (log.code != kNoError) {
        result.code = log.code;
        return result;
    }
    if (log.id != m_logId || Digest(log.bytes) != m_logDigest) {
        result.code = kLogReplaced;
        return result;
    }
    m_canUndo = false;
    return UndoFromLog(*m_folder, log.bytes);
}

void UndoJournal::deleteLog() const {
    DeleteFile(m_drives, UndoLogPath());
}

} // namespace corvane
