// SPDX-License-Identifier: GPL-3.0-or-later
// Times the file list with a folder of matching files: filling it from the disk, narrowing it
// again on a pattern change (no disk read), and the batch preview marks that follow.
// Usage: filelist_bench [file count]   (default 32,767); runs offscreen unless told otherwise.

#include "files/RenamePlan.h"
#include "platform/DriveTable.h"
#include "ui/FileList.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <chrono>

using namespace corvane;

namespace {

template <typename Work> double Milliseconds(Work work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

} // namespace

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
    list.show();

    const double fill = Milliseconds([&] { list.setFolder(u"c:\\"_qs); });
    QTextStream out(stdout);
    out << "file list filled with " << list.names().size() << " of " << count << " files in "
        << fill << " ms\n";

    // Each change narrows to the files of one track number, then widens back to all of them.
    std::vector<double> narrow;
    std::vector<double> widen;
    for (int i = 1; i <= 11; ++i) {
        narrow.push_back(Milliseconds([&] { list.setPattern(u"%1 - *.mp3"_qs.arg(i)); }));
        widen.push_back(Milliseconds([&] { list.setPattern(u"*.mp3"_qs); }));
    }
    out << "refilter: " << Median(widen) << " ms (median of 11 to all " << list.names().size()
        << " files; to one track number " << Median(narrow) << " ms)\n";

    RenameOptions options;
    list.setPlanner([&](const QStringList& names, const FolderListing& listing) {
        return PlanBatch(names, listing.entries, listing.rules, options);
    });
    const double marks = Milliseconds([] { QCoreApplication::processEvents(); });
    out << "preview marks for " << list.names().size() << " files: " << marks << " ms\n";
    return list.names().size() == count ? 0 : 1;
}
