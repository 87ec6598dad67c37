// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/RenamePlan.h"

#include "files/UndoLog.h"
#include "names/BuildNewName.h"
#include "names/NameLimits.h"
#include "platform/FileOperations.h"
#include "platform/NameCodec.h"

#include <QHash>
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

// What the batch knows of a name so far.
enum NameState : quint8 {
    Present = 1, // an entry of the folder has it
    Given = 2,   // the batch leaves one of its files under it
};

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
    QHash<QString, quint8> states;
    states.reserve(entries.size() + 1); // a new name comes in before the old one goes
    for (const QString& entry : entries)
        states.insert(rules.key(entry), Present);
    secondHalf.waitForFinished();

    for (RenamePlan& plan : plans) {
        if (plan.mark == PreviewMark::Refused)
            continue;
        const QString from = rules.key(plan.name);
        if (plan.newName == plan.name) {
            states[from] |= Given;
            continue;
        }
        const QString to = rules.key(plan.newName);
        const bool caseOnly = to == from;
        quint8& state = states[to];
        if (!caseOnly && (state & Present)) {
            plan.mark = state & Given ? PreviewMark::Collides : PreviewMark::Taken;
            continue;
        }
        // A change of letter case alone keeps the file's own name on such a volume.
        plan.mark = PreviewMark::Changes;
        state = Present | Given;
        if (caseOnly)
            continue;
        // The file's old name is free now, unless an earlier file was left under it.
        if (const auto old = states.find(from); old != states.end() && *old == Present)
            states.erase(old);
        else if (old != states.end())
            *old &= ~Present;
    }
    return plans;
}

} // namespace corvane
