// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/BatchRun.h"

#include "files/UndoLog.h"
#include "names/BuildNewName.h"
#include "names/NameLimits.h"
#include "platform/FileOperations.h"
#include "platform/LogFile.h"
#include "platform/NameCodec.h"

namespace corvane {
namespace {

// Renames one file and logs it; a rename whose record cannot be written is taken back, so
// that the log holds exactly the renames that happened.
RenameResult RenameAndLog(const FolderOnHost& folder, const QString& oldName,
                          const RenameOptions& options, LogFile& log) {
    QString newName;
    try {
        newName = BuildNewName(oldName, options);
    } catch (const NameOverflow&) {
        return {kNameTooLong};
    }
    // Each name is encoded once, for its rename and its record.
    const std::optional<QByteArray> oldBytes = EncodeName(oldName);
    const std::optional<QByteArray> newBytes = EncodeName(newName);
    // A name the log cannot carry is refused before anything is renamed.
    const std::optional<QByteArray> record =
        oldBytes && newBytes ? FormatUndoRecord(*newBytes, *oldBytes) : std::nullopt;
    if (!record)
        return {kBadFileName};
    RenameResult renamed = folder.rename(oldName, newName, oldBytes, newBytes);
    if (renamed.code != kNoError)
        return renamed;
    const FileErrorCode logged = log.write(*record);
    if (logged == kNoError)
        return {};
    const RenameResult back = folder.rename(newName, oldName);
    if (back.code == kNoError)
        return {logged};
    // The file stays under its new name without a record, or where the take-back left it.
    return {logged, back.leftAs.isEmpty() ? newName : back.leftAs};
}

} // namespace

BatchResult RunBatch(const DriveTable& drives, QStringView folder, const QStringList& names,
                     const RenameOptions& options, QStringView logPath) {
    RepairPendingRenames(drives);
    return RunBatch(drives, FolderOnHost(drives, folder), names, options, logPath);
}

BatchResult RunBatch(const DriveTable& drives, const FolderOnHost& folder, const QStringList& names,
                     const RenameOptions& options, QStringView logPath,
                     const BatchProgress& progress) {
    BatchResult result;
    LogFile log(drives);
    result.code = log.open(logPath, LogFile::Mode::WriteFromEmpty);
    result.logRewritten = result.code == kNoError;
    for (qsizetype i = 0; result.code == kNoError && i < names.size(); ++i) {
        if (progress && !progress(i, names.size(), names.at(i))) {
            result.cancelled = true;
            break;
        }
        const RenameResult renamed = RenameAndLog(folder, names.at(i), options, log);
        result.code = renamed.code;
        if (!renamed.leftAs.isEmpty())
            result.stranded = {names.at(i), renamed.leftAs};
        if (result.code == kNoError)
            ++result.renamed;
    }
    const FileErrorCode closed = log.close();
    if (result.code == kNoError)
        result.code = closed;
    return result;
}

} // namespace corvane
