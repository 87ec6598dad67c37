// SPDX-License-Identifier: GPL-3.0-or-later
// Times a batch over a folder of MP3 files against the bare renames it is made of, on the local
// disk and on a FAT volume mounted through fusefat:
//   (a) a loop of the system calls one rename takes there, over precomputed names: the floor
//       (renameat2 on the local disk; on FAT, which refuses RENAME_NOREPLACE and links,
//       renameat2, link, the O_EXCL reservation and rename)
//   (b) the batch with every rule on, as the window runs it from a listing: its plan (the name
//       rules), the renames, the journal and the undo log; and the same without the plan, which
//       the window has made for its marks before the batch button is pressed
//   (c) Undo of that batch
// Prints b/a and c/a (best of several rounds, measured side by side) and the peak memory.
// Usage: batch_bench [file count] [rounds] [FAT file count]   (defaults 10,000, 5 and 100)

#include "FuseVolume.h"
#include "files/LastBatch.h"
#include "names/BuildNewName.h"
#include "platform/NameCodec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

using namespace corvane;

namespace {

using Clock = std::chrono::steady_clock;
// Renames one file by host paths the way the volume allows.
using BareRename = std::function<void(const QByteArray& from, const QByteArray& to)>;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

RenameOptions EveryRuleOn() {
    RenameOptions options;
    options.Check3 = options.Check4 = options.Check5 = Checked;
    options.Option4 = false;
    options.Option1 = true;
    options.Text3 = u"feat."_qs;
    options.Text4 = u"ft."_qs;
    return options;
}

void NoReplace(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) != 0)
        std::perror("renameat2");
}

void ReserveAndRenameOver(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0 ||
        ::link(from.constData(), to.constData()) == 0) {
        std::fputs("the volume took a call it should refuse\n", stderr);
        return;
    }
    const int reserved = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (reserved >= 0)
        ::close(reserved);
    if (reserved < 0 || ::rename(from.constData(), to.constData()) != 0)
        std::perror("reserve and rename");
}

double BareLoop(const BareRename& rename, const QList<QByteArray>& from,
                const QList<QByteArray>& to) {
    const auto start = Clock::now();
    for (qsizetype i = 0; i < from.size(); ++i)
        rename(from[i], to[i]);
    return SecondsSince(start);
}

// Measures (a), (b) and (c) over `count` files made in `home`; false when a run failed.
bool Measure(QTextStream& out, const QString& volume, const QByteArray& home, int count, int rounds,
             const BareRename& bare) {
    QTemporaryDir state;
    const DriveTable drives({{u'c', home, u"home"_qs}}, QFile::encodeName(state.path()));
    const QString folder = u"c:\\"_qs;
    const RenameOptions options = EveryRuleOn();

    QStringList names;
    QList<QByteArray> oldPaths;
    QList<QByteArray> newPaths;
    for (int i = 0; i < count; ++i) {
        const QString name = u"%1_-_the_artist_-_song_%2_feat._someone,live.mp3"_qs
                                 .arg(i % 99 + 1, 2, 10, QChar(u'0'))
                                 .arg(i);
        names.append(name);
        oldPaths.append(home + '/' + *EncodeName(name));
        newPaths.append(home + '/' + *EncodeName(BuildNewName(name, options)));
        QFile file(QFile::decodeName(oldPaths.last()));
        if (!file.open(QIODevice::WriteOnly))
            return false;
    }

    double floor = 1e9;
    double batch = 1e9;
    double plan = 0; // the part of the best batch that made its plans
    double undo = 1e9;
    for (int round = 0; round < rounds; ++round) {
        floor = std::min(floor, BareLoop(bare, oldPaths, newPaths));
        BareLoop(bare, newPaths, oldPaths);

        LastBatch last(drives);
        // The plans are let go once the batch is timed: the window's file list keeps its own,
        // so a batch there never pays for freeing them.
        auto start = Clock::now();
        std::optional<BatchJob> batchJob =
            last.batch(folder, std::nullopt, PlanBatch(names, names, {}, options));
        const double planned = SecondsSince(start);
        const BatchOutcome batched = RunBatchJob(*batchJob);
        const double whole = SecondsSince(start);
        batchJob.reset();
        if (whole < batch) {
            batch = whole;
            plan = planned;
        }
        last.finish(batched);
        const BatchResult& batchResult = batched.result;

        start = Clock::now();
        const std::optional<UndoJob> job = last.undo();
        const UndoResult undoResult = job ? RunUndoJob(*job).result : UndoResult();
        undo = std::min(undo, SecondsSince(start));
        if (!job || batchResult.code != kNoError || undoResult.code != kNoError ||
            batchResult.renamed != count || undoResult.restored != count) {
            QTextStream(stderr) << volume << ": batch or undo failed: " << int(batchResult.code)
                                << " " << int(undoResult.code) << "\n";
            return false;
        }
    }
    out << volume << ", " << count << " files, best of " << rounds << " rounds\n"
        << "(a) bare loop:            " << floor * 1000 << " ms\n"
        << "(b) batch, every rule on: " << batch * 1000 << " ms, b/a = " << batch / floor << "\n"
        << "    of which the plan:    " << plan * 1000 << " ms; without it (the window has it from "
        << "its marks): " << (batch - plan) / floor << "\n"
        << "(c) undo of the batch:    " << undo * 1000 << " ms, c/a = " << undo / floor << "\n";
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    const int fatCount = argc > 3 ? std::atoi(argv[3]) : 100;
    QTextStream out(stdout);

    FuseVolume local(FuseVolume::Kind::LocalDisk);
    if (!Measure(out, u"local disk"_qs, local.folder(), count, rounds, NoReplace))
        return 1;

    FuseVolume fat(fatCount > 0 ? FuseVolume::Kind::Fat : FuseVolume::Kind::LocalDisk);
    if (fatCount == 0)
        out << "FAT through fusefat: not measured: no files asked for\n";
    else if (!fat.unavailable().isEmpty())
        out << "FAT through fusefat: not measured: " << fat.unavailable() << "\n";
    else if (!Measure(out, u"FAT through fusefat"_qs, fat.folder(), fatCount, rounds,
                      ReserveAndRenameOver))
        return 1;

    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    out << "peak memory: " << usage.ru_maxrss / 1024.0 << " MiB\n";
    return 0;
}
