// Runs a slowed-down batch over the ".mp3" files of a folder, for a test to kill part-way.
// Usage: batch_child <folder for drive c:> <state folder>

#include "FaultySystemCalls.h"
#include "files/BatchRun.h"
#include "files/UndoLog.h"
#include "platform/FilePattern.h"
#include "platform/FolderListing.h"

#include <QCoreApplication>
#include <QFile>

using namespace corvane;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    FaultySystemCalls slow;
    slow.renameDelayMicroseconds = 500;
    const DriveTable drives({{u'c', QByteArray(argv[1]), QStringLiteral("home")}},
                            QByteArray(argv[2]), slow);
    const QString folder = QStringLiteral("c:\\");
    const QStringList names = ListFiles(drives, folder, FilePattern(u"*.mp3")).names;
    return RunBatch(drives, folder, names, RenameOptions(), UndoLogPath()).code;
}
