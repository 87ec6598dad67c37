// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/RenamePlan.h"

#include "files/UndoLog.h"
#include "names/BuildNewName.h"
#include "names/NameLimits.h"
#include "platform/FileOperations.h"
#include "platform/NameCodec.h"

#include <QSet>
#include <QtConcurrentRun>

namespace corvane {
namespace {

// The new name, its bytes and its record, or why the batch may not give it.
void Plan(RenamePlan& plan, const VolumeRules& rules, const RenameOptions& options) {
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
    const bool logged = oldBytes && newBytes && LogCanCarry(*oldBytes) && LogCanCarry(*newBytes);
    if (!logged || (plan.newName != plan.name && !MayRenameTo(plan.name, plan.newName))) {
        plan.mark = PreviewMark::Refused;
        plan.refusal = kBadFileName;
        return;
    }
    plan.oldBytes = *oldBytes;
    plan.newBytes = *newBytes;
    // A name the file has already is the volume's own.
    if (plan.newName != plan.name)
        plan.why = rules.refusal(plan.newName, plan.newBytes);
    if (!plan.why.isEmpty()) {
        plan.mark = PreviewMark::Refused;
        plan.refusal = kBadFileName;
    }
}

// Below this many names, a second core costs more than it saves.
constexpr qsizetype kNamesWorthSharing = 512;

} // namespace

QList<RenamePlan> PlanBatch(const QStringList& names, const QStringList& entries,
                            const VolumeRules& rules, const RenameOptions& options) {
    QList<RenamePlan> plans(names.size());
    // Two threads fill their own halves: the list is neither grown nor copied meanwhile.
    RenamePlan* const planned = plans.data();
    const auto planFrom = [&](qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i) {
            planned[i].name = names.at(i);
            Plan(planned[i], rules, options);
        }
    };
    // Each name is made on its own: a long list is made on two cores.
    const bool shared = names.size() >= kNamesWorthSharing;
    const qsizetype half = shared ? names.size() / 2 : names.size();
    QFuture<void> secondHalf =
        shared ? QtConcurrent::run(planFrom, half, names.size()) : QFuture<void>();
    planFrom(0, half);
    // Names as the volume tells them apart: on one that ignores case, "A.mp3" takes "a.mp3".
    QSet<QString> present;
    present.reserve(entries.size());
    for (const QString& entry : entries)
        present.insert(rules.key(entry));
    secondHalf.waitForFinished();

    QSet<QString> given; // the names this batch leaves its files under so far
    for (RenamePlan& plan : plans) {
        const QString& name = plan.name;
        if (plan.mark == PreviewMark::Refused)
            continue;
        const QString oldKey = rules.key(name);
        const QString newKey = rules.key(plan.newName);
        if (plan.newName == name) {
            given.insert(oldKey);
        } else if (newKey != oldKey && present.contains(newKey)) {
            plan.mark = given.contains(newKey) ? PreviewMark::Collides : PreviewMark::Taken;
        } else {
            // A change of letter case alone keeps the file's own name on such a volume.
            plan.mark = PreviewMark::Changes;
            present.remove(oldKey);
            present.insert(newKey);
            given.insert(newKey);
        }
    }
    return plans;
}

} // namespace corvane
