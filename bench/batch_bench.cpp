// Times a batch over a folder of MP3 files against the bare renames it is made of.
//   (a) a loop of renameat2 over precomputed names: the floor
//   (b) the batch run with every rule on: name rules, rename and undo log
//   (c) Undo of that batch
// Prints b/a and c/a (best of several rounds, measured side by side) and the peak memory.
// Usage: batch_bench [file count] [rounds]   (defaults 10,000 and 5)

#include "files/BatchRun.h"
#include "files/Undo.h"
#include "files/UndoLog.h"
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
#include <sys/resource.h>
#include <unistd.h>

using namespace corvane;

namespace {

using Clock = std::chrono::steady_clock;

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

// Renames every file from one list of host paths to the other; returns the seconds taken.
double BareRenames(const QList<QByteArray>& from, const QList<QByteArray>& to) {
    const auto start = Clock::now();
    for (qsizetype i = 0; i < from.size(); ++i) {
        if (::renameat2(AT_FDCWD, from[i].constData(), AT_FDCWD, to[i].constData(),
                        RENAME_NOREPLACE) != 0)
            std::perror("renameat2");
    }
    return SecondsSince(start);
}

} // namespace

int main(int argc, char* argv[]) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(u"home"_qs);
    QDir(dir.path()).mkpath(u"state"_qs);
    const QByteArray home = QFile::encodeName(dir.path()) + "/home";
    const DriveTable drives({{u'c', home, u"home"_qs}}, QFile::encodeName(dir.path()) + "/state");
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
            return 1;
    }

    double floor = 1e9;
    double batch = 1e9;
    double undo = 1e9;
    for (int round = 0; round < rounds; ++round) {
        floor = std::min(floor, BareRenames(oldPaths, newPaths));
        BareRenames(newPaths, oldPaths);

        auto start = Clock::now();
        const BatchResult batchResult = RunBatch(drives, folder, names, options, UndoLogPath());
        batch = std::min(batch, SecondsSince(start));

        start = Clock::now();
        const UndoResult undoResult = UndoBatch(drives, folder, UndoLogPath());
        undo = std::min(undo, SecondsSince(start));
        if (batchResult.code != kNoError || undoResult.code != kNoError ||
            batchResult.renamed != count || undoResult.restored != count) {
            QTextStream(stderr) << "batch or undo failed: " << batchResult.code << " "
                                << undoResult.code << "\n";
            return 1;
        }
    }

    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    QTextStream out(stdout);
    out << count << " files, best of " << rounds << " rounds\n"
        << "(a) bare renameat2 loop: " << floor * 1000 << " ms\n"
        << "(b) batch, every rule on: " << batch * 1000 << " ms, b/a = " << batch / floor << "\n"
        << "(c) undo of the batch:    " << undo * 1000 << " ms, c/a = " << undo / floor << "\n"
        << "peak memory: " << usage.ru_maxrss / 1024.0 << " MiB\n";
    return 0;
}
