// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "names/RenameOptions.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace corvane {

// What the batch would do with one listed name.
enum class PreviewMark {
    Unchanged,
    Changes,
    Taken,    // the new name belongs to another entry of the folder
    Collides, // an earlier file of the batch ends under the same name
    Refused,  // a name the batch may not give, or a present name the log cannot hold
};

struct PreviewedName {
    QString newName; // empty where the rules would overflow
    PreviewMark mark = PreviewMark::Unchanged;
};

// The batch played out on the folder's entry names, in list order, touching nothing: where each
// listed file would go, and the files the batch would stop on.
QList<PreviewedName> PreviewBatch(const QStringList& names, const QStringList& entries,
                                  const RenameOptions& options);

} // namespace corvane
