// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/RenamePlan.h"

#include "files/UndoLog.h"
#include "names/BuildNewName.h"
#include "names/NameLimits.h"
#include "platform/FileOperations.h"
#include "platform/NameCodec.h"

#include <QSet>

namespace corvane {
namespace {

// The new name, its bytes and its record, or why the batch may not give it.
void Plan(RenamePlan& plan, const RenameOptions& options) {
    try {
        plan.newName = BuildNewName(plan.name, options);
    } catch (const NameOverflow&) {
        plan.mark = PreviewMark::Refused;
        plan.refusal = kNameTooLong;
        return;
    }
    const std::optional<QByteArray> oldBytes = EncodeName(plan.name);
    const std::optional<QByteArray> newBytes = EncodeName(plan.newName);
    // A name the log cannot carry is refused before anything is renamed.
    const std::optional<QByteArray> record =
        oldBytes && newBytes ? FormatUndoRecord(*newBytes, *oldBytes) : std::nullopt;
    if (!record || (plan.newName != plan.name && !MayRenameTo(plan.name, plan.newName))) {
        plan.mark = PreviewMark::Refused;
        plan.refusal = kBadFileName;
        return;
    }
    plan.oldBytes = *oldBytes;
    plan.newBytes = *newBytes;
    plan.record = *record;
}

} // namespace

QList<RenamePlan> PlanBatch(const QStringList& names, const QStringList& entries,
                            const RenameOptions& options) {
    QSet<QString> present(entries.begin(), entries.end());
    QSet<QString> given; // the names this batch leaves its files under so far
    QList<RenamePlan> plans;
    plans.reserve(names.size());
    for (const QString& name : names) {
        RenamePlan& plan = plans.emplaceBack();
        plan.name = name;
        Plan(plan, options);
        if (plan.mark == PreviewMark::Refused)
            continue;
        if (plan.newName == name) {
            given.insert(name);
        } else if (present.contains(plan.newName)) {
            plan.mark = given.contains(plan.newName) ? PreviewMark::Collides : PreviewMark::Taken;
        } else {
            plan.mark = PreviewMark::Changes;
            present.remove(name);
            present.insert(plan.newName);
            given.insert(plan.newName);
        }
    }
    return plans;
}

} // namespace corvane
