// Times how long the file list takes to fill with a folder of matching files.
// Usage: filelist_bench [file count]   (default 32,767); runs offscreen unless told otherwise.

#include "platform/DriveTable.h"
#include "ui/FileList.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <chrono>

using namespace corvane;

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 32767;

    QTemporaryDir dir;
    for (int i = 0; i < count; ++i) {
        QFile file(dir.filePath(u"%1 - Artist - Title %2.mp3"_qs.arg(i % 99 + 1).arg(i)));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
    }
    const DriveTable drives({{u'c', QFile::encodeName(dir.path()), u"home"_qs}}, QByteArray());
    FileList list(drives, nullptr);
    list.setPattern(u"*.mp3"_qs);

    const auto start = std::chrono::steady_clock::now();
    list.setFolder(u"c:\\"_qs);
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    QTextStream(stdout) << "file list filled with " << list.count() << " of " << count
                        << " files in " << elapsed.count() << " ms\n";
    return list.count() == count ? 0 : 1;
}
