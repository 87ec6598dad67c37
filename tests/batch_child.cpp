// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a slowed-down batch (ProperCase) over the ".mp3" files of a folder, or a batch at full
// speed and then its slowed-down Undo, for a test to cut part-way. Says "ready" before the slowed
// action and waits for the end of its input to begin it. "start" runs the program's start-up and
// prints what it says. Usage: batch_child batch|undo|start <folder for drive c:> <state folder>
// <delay per step in µs>

#include "FaultySystemCalls.h"
#include "Session.h"

#include <QCoreApplication>
#include <cstdio>

using namespace corvane;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 5)
        return 2;
    const bool undo = qstrcmp(argv[1], "undo") == 0;
    const int delay = std::atoi(argv[4]);
    FaultySystemCalls slow;
    slow.delayMicroseconds = undo ? 0 : delay;
    const DriveTable drives({{u'c', QByteArray(argv[2]), QStringLiteral("home")}},
                            QByteArray(argv[3]), slow);
    if (qstrcmp(argv[1], "start") == 0) {
        std::puts(qPrintable(u"start-up: "_qs + LastBatch(drives).start()));
        return 0;
    }
    Session session(drives);
    RenameOptions options;
    options.Option4 = false;
    options.Option1 = true;
    const auto ready = [] {
        std::puts("ready");
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
    };
    if (!undo)
        ready();
    const BatchResult batch =
        session.batch(options, QStringLiteral("c:\\"), {}, QStringLiteral("*.mp3"));
    if (!undo || batch.renamed == 0)
        return int(batch.code);
    ready();
    slow.delayMicroseconds = delay;
    return int(session.undo().code);
}
