// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/BatchPreview.h"

#include "files/UndoLog.h"
#include "names/BuildNewName.h"
#include "names/NameLimits.h"
#include "platform/FileOperations.h"
#include "platform/NameCodec.h"

#include <QHash>
#include <QSet>

namespace corvane {
namespace {

// Whether the batch refuses the rename before touching the file.
bool Refused(const QString& name, const QString& newName) {
    const std::optional<QByteArray> oldBytes = EncodeName(name);
    const std::optional<QByteArray> newBytes = EncodeName(newName);
    return !oldBytes || !newBytes || !FormatUndoRecord(*newBytes, *oldBytes) ||
           (newName != name && !MayRenameTo(name, newName));
}

} // namespace

QList<PreviewedName> PreviewBatch(const QStringList& names, const QStringList& entries,
                                  const RenameOptions& options) {
    QSet<QString> present(entries.begin(), entries.end());
    QSet<QString> given; // the names this batch leaves its files under so far
    QList<PreviewedName> preview;
    preview.reserve(names.size());
    for (const QString& name : names) {
        PreviewedName previewed;
        try {
            previewed.newName = BuildNewName(name, options);
        } catch (const NameOverflow&) {
            previewed.mark = PreviewMark::Refused;
            preview.append(previewed);
            continue;
        }
        if (Refused(name, previewed.newName)) {
            previewed.mark = PreviewMark::Refused;
        } else if (previewed.newName == name) {
            previewed.mark = PreviewMark::Unchanged;
            given.insert(name);
        } else if (present.contains(previewed.newName)) {
            previewed.mark =
                given.contains(previewed.newName) ? PreviewMark::Collides : PreviewMark::Taken;
        } else {
            // The batch goes on past a stop here, so that every stop shows at once.
            previewed.mark = PreviewMark::Changes;
            present.remove(name);
            present.insert(previewed.newName);
            given.insert(previewed.newName);
        }
        preview.append(previewed);
    }
    return preview;
}

} // namespace corvane
