// SPDX-License-Identifier: GPL-3.0-or-later
// Times a batch over a folder of MP3 files against the bare renames it is made of, on the local
// disk, on a FAT volume mounted through fusefat, and on a stick of the kernel's own vfat:
//   (a) a loop of the system calls one rename takes there, over precomputed names: the floor
//       (renameat2 on the local disk and on kernel vfat; on fusefat, which refuses
//       RENAME_NOREPLACE and links, renameat2, link, the O_EXCL reservation and rename)
//   (a') on kernel vfat, the same loop with the syncs the batch makes there, and the other ways
//       of making each renamed entry whole on the device, each as its cost per 1,000 renames
//   (b) the batch with every rule on, as the window runs it from a listing: its plan (the name
//       rules), the renames, the journal and the undo log; and the same without the plan, which
//       the window has made for its marks before the batch button is pressed
//   (c) Undo of that batch
// Prints b/a, and c/a with Undo against the loop back to the old names, both also against a'
// where the batch syncs (best of several rounds, measured side by side), and the peak memory.
// The kernel vfat row runs where the kernel has vfat, as under scripts/guest-run.sh, with TMPDIR
// on a disk written through so that its syncs reach a device:
//   scripts/guest-run.sh --disk scratch.img sh -c 'mkfs.ext4 -q /dev/vda && mkdir /tmp/disk &&
//       mount /dev/vda /tmp/disk && TMPDIR=/tmp/disk build/bench/batch_bench 0 3 0 500'
// Usage: batch_bench [file count] [rounds] [FAT file count] [kernel vfat file count]
//        (defaults 10,000, 5, 100 and 500)

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
#include <memory>
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

// One way of renaming every file: the bare calls of a rename, and the syncs a volume may need
// after each and at the end.
struct BareWay {
    const char* name;
    BareRename rename;
    std::function<void()> atEnd = [] {};
};

double BareLoop(const BareWay& way, const QList<QByteArray>& from, const QList<QByteArray>& to) {
    const auto start = Clock::now();
    for (qsizetype i = 0; i < from.size(); ++i)
        way.rename(from[i], to[i]);
    way.atEnd();
    return SecondsSince(start);
}

// The ways tried on a volume whose renamed entries reach the device only with a sync: each
// rename followed by a sync of the whole volume (the batch's), by an fsync of the renamed file,
// or the volume synced after every group of 32; and no sync but one at the end.
QList<BareWay> SyncedWays(int volume) {
    const auto syncVolume = [volume] {
        if (::syncfs(volume) != 0)
            std::perror("syncfs");
    };
    auto group = std::make_shared<int>(0);
    return {{"bare renameat2 loop", NoReplace},
            {"each rename, then syncfs of the volume (the batch's way)",
             [=](const QByteArray& from, const QByteArray& to) {
                 NoReplace(from, to);
                 syncVolume();
             },
             syncVolume},
            {"each rename, then fsync of the renamed file",
             [=](const QByteArray& from, const QByteArray& to) {
                 NoReplace(from, to);
                 const int file = ::open(to.constData(), O_RDONLY | O_CLOEXEC);
                 if (file < 0 || ::fsync(file) != 0)
                     std::perror("fsync");
                 if (file >= 0)
                     ::close(file);
             },
             syncVolume},
            {"syncfs after every 32 renames",
             [=](const QByteArray& from, const QByteArray& to) {
                 NoReplace(from, to);
                 if (++*group % 32 == 0)
                     syncVolume();
             },
             syncVolume},
            {"one syncfs at the end", NoReplace, syncVolume}};
}

// Measures (a), (b) and (c) over `count` files made in `home`, with the first way as the floor,
// the second, where given, as the floor with the batch's own syncs, and the others for their
// cost; false when a run failed.
bool Measure(QTextStream& out, const QString& volume, const QByteArray& home, int count, int rounds,
             const QList<BareWay>& ways) {
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

    QList<double> bare(ways.size(), 1e9); // to the new names, as the batch renames
    QList<double> back(ways.size(), 1e9); // to the old names, as Undo renames
    double batch = 1e9;
    double plan = 0; // the part of the best batch that made its plans
    double undo = 1e9;
    // FAT's folders slow down as renames leave holes in them, until they settle: a first pass
    // leaves the folder as every timed loop finds it.
    BareLoop(ways.first(), oldPaths, newPaths);
    BareLoop(ways.first(), newPaths, oldPaths);
    for (int round = 0; round < rounds; ++round) {
        for (qsizetype way = 0; way < ways.size(); ++way) {
            bare[way] = std::min(bare[way], BareLoop(ways[way], oldPaths, newPaths));
            back[way] = std::min(back[way], BareLoop(ways[way], newPaths, oldPaths));
        }

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
    const double floor = bare.first();
    out << volume << ", " << count << " files, best of " << rounds << " rounds\n"
        << "(a) bare loop:            " << floor * 1000 << " ms, back to the old names "
        << back.first() * 1000 << " ms\n"
        << "(b) batch, every rule on: " << batch * 1000 << " ms, b/a = " << batch / floor << "\n"
        << "    of which the plan:    " << plan * 1000 << " ms; without it (the window has it from "
        << "its marks): " << (batch - plan) / floor << "\n"
        << "(c) undo of the batch:    " << undo * 1000 << " ms, c/a = " << undo / back.first()
        << "\n";
    if (ways.size() < 2)
        return true;
    out << "(a') " << ways[1].name << ": " << bare[1] * 1000 << " ms, b/a' = " << batch / bare[1]
        << " (" << (batch - plan) / bare[1] << " without the plan), c/a' = " << undo / back[1]
        << "\n"
        << "    each way, ms per 1,000 renames (the bare loop's taken off):\n";
    for (qsizetype way = 0; way < ways.size(); ++way)
        out << "    " << ways[way].name << ": " << bare[way] * 1e6 / count << " ("
            << (bare[way] - floor) * 1e6 / count << ")\n";
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    const int fatCount = argc > 3 ? std::atoi(argv[3]) : 100;
    const int vfatCount = argc > 4 ? std::atoi(argv[4]) : 500;
    QTextStream out(stdout);

    const auto measureOn = [&](const QString& name, FuseVolume::Kind kind, int files,
                               const std::function<QList<BareWay>(int)>& ways) {
        if (files == 0) {
            out << name << ": not measured: no files asked for\n";
            return true;
        }
        FuseVolume volume(kind);
        if (!volume.unavailable().isEmpty()) {
            out << name << ": not measured: " << volume.unavailable() << "\n";
            return true;
        }
        const int folder = ::open(volume.folder().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const bool measured = Measure(out, name, volume.folder(), files, rounds, ways(folder));
        ::close(folder);
        return measured;
    };
    if (!measureOn(u"local disk"_qs, FuseVolume::Kind::LocalDisk, count,
                   [](int) {
                       return QList<BareWay>{{"bare renameat2 loop", NoReplace}};
                   }) ||
        !measureOn(u"FAT through fusefat"_qs, FuseVolume::Kind::Fat, fatCount,
                   [](int) {
                       return QList<BareWay>{{"reservation and rename", ReserveAndRenameOver}};
                   }) ||
        !measureOn(u"kernel vfat"_qs, FuseVolume::Kind::KernelVfat, vfatCount, SyncedWays))
        return 1;

    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    out << "peak memory: " << usage.ru_maxrss / 1024.0 << " MiB\n";
    return 0;
}
