// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "names/RenameOptions.h"
#include "platform/FileErrorCode.h"
#include "platform/VolumeRules.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace corvane {

// What the batch does with one listed name.
enum class PreviewMark {
    Unchanged,
    Changes,
    Taken,    // the new name belongs to another entry of the folder
    Collides, // an earlier file of the batch ends under the same name
    Refused,  // a name the batch may not give, or a present name the log cannot hold
};

// One file's rename, planned once: the file list marks it, and the batch carries it out.
struct RenamePlan {
    QString name;
    QString newName; // empty where the rules would overflow
    QByteArray oldBytes;
    QByteArray newBytes; // with oldBytes, its line in the undo log
    PreviewMark mark = PreviewMark::Unchanged;
    FileErrorCode refusal = kNoError; // why the batch stops on it untouched, when it is Refused
    QString why;                      // the volume's reason, when it refuses the new name
};

// The batch planned on the folder's entry names, in list order, touching nothing: where each
// listed file goes, and the files the batch would stop on. The plan goes on past a stop, so
// that every stop shows at once.
QList<RenamePlan> PlanBatch(const QStringList& names, const QStringList& entries,
                            const VolumeRules& rules, const RenameOptions& options);

} // namespace corvane
