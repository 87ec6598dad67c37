// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a slowed-down batch (ProperCase) or Undo over the ".mp3" files of a folder, for a test
// to kill part-way.
// Usage: batch_child batch|undo <folder for drive c:> <state folder> <delay per step in µs>

#include "FaultySystemCalls.h"
#include "files/BatchRun.h"
#include "files/Undo.h"
#include "files/UndoLog.h"
#include "platform/FilePattern.h"
#include "platform/FolderListing.h"

#include <QCoreApplication>

using namespace corvane;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 5)
        return 2;
    FaultySystemCalls slow;
    slow.delayMicroseconds = std::atoi(argv[4]);
    const DriveTable drives({{u'c', QByteArray(argv[2]), QStringLiteral("home")}},
                            QByteArray(argv[3]), slow);
    const QString folder = QStringLiteral("c:\\");
    if (qstrcmp(argv[1], "undo") == 0)
        return int(UndoBatch(drives, folder, UndoLogPath()).code);
    RenameOptions options;
    options.Option4 = false;
    options.Option1 = true;
    const QStringList names = ListFiles(drives, folder, FilePattern(u"*.mp3")).names;
    return int(RunBatch(drives, folder, names, options, UndoLogPath()).code);
}
