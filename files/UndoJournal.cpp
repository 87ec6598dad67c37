// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/UndoJournal.h"

#include "files/UndoLog.h"
#include "platform/FileOperations.h"
#include "platform/LogFile.h"

#include <QCryptographicHash>

namespace corvane {
namespace {

// Reads the log piece by piece into `parser`, when given, and into a digest of its bytes.
FileRead ReadLog(const DriveTable& drives, UndoLogParser* parser, QByteArray& digest) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const FileRead read =
        ReadInPieces(drives, UndoLogPath(), kLargestUndoLog, [&](QByteArrayView piece) {
            hash.addData(piece);
            if (parser)
                parser->feed(piece);
        });
    digest = hash.result();
    return read;
}

} // namespace

UndoJournal::UndoJournal(const DriveTable& drives) : m_drives(drives) {}

UndoJournal::~UndoJournal() = default;

void UndoJournal::createLog() const {
    LogFile log(m_drives);
    log.open(UndoLogPath(), LogFile::Mode::Append);
}

BatchResult UndoJournal::runBatch(const QString& folder, std::optional<EntryId> listed,
                                  const QStringList& names, const RenameOptions& options,
                                  const BatchProgress& progress) {
    RepairPendingRenames(m_drives);
    auto held = std::make_unique<FolderOnHost>(m_drives, folder);
    if (held->id() && listed && held->id() != listed) {
        BatchResult refused;
        refused.code = kFolderReplaced;
        return refused;
    }
    const BatchResult result = RunBatch(m_drives, *held, names, options, UndoLogPath(), progress);
    if (!result.logRewritten)
        return result;
    // The previous batch's log is gone: only this one can be undone now, if it renamed anything.
    m_canUndo = (result.code == kNoError && !result.cancelled) || result.renamed > 0;
    m_folderPath = folder;
    m_folder = std::move(held);
    m_logId = ReadLog(m_drives, nullptr, m_logDigest).id;
    return result;
}

UndoResult UndoJournal::undo(const BatchProgress& progress) {
    UndoResult result;
    if (!m_canUndo)
        return result;
    RepairPendingRenames(m_drives);
    if (!m_folder->id() || FolderIdOf(m_drives, m_folderPath) != m_folder->id()) {
        result.code = kFolderReplaced;
        return result;
    }
    UndoLogParser parser;
    QByteArray digest;
    const FileRead read = ReadLog(m_drives, &parser, digest);
    if (read.code != kNoError) {
        result.code = read.code;
        return result;
    }
    if (read.id != m_logId || digest != m_logDigest) {
        result.code = kLogReplaced;
        return result;
    }
    const UndoResult undone = UndoFromLog(*m_folder, parser.finish(), progress);
    m_canUndo = undone.cancelled;
    return undone;
}

void UndoJournal::deleteLog() const {
    DeleteFile(m_drives, UndoLogPath());
}

} // namespace corvane
