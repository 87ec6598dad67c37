// SPDX-License-Identifier: GPL-3.0-or-later
// Times the file list with a folder of matching files, as the window has it:
//   fill:      the folder read from the disk and shown, against a floor: its names read with
//              readdir and their bytes sorted
//   refilter:  a pattern change narrowing what was read (no disk read)
//   keystroke: a key typed in a rule's text field, until the window's thread is free again,
//              and until the marks of the new options are shown
// Usage: filelist_bench [file count]   (default 32,767); runs offscreen unless told otherwise.

#include "files/RenamePlan.h"
#include "platform/DriveTable.h"
#include "ui/FileList.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <dirent.h>
#include <string>
#include <vector>

using namespace corvane;

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

template <typename Work> double Milliseconds(Work work) {
    const auto start = Clock::now();
    work();
    return MillisecondsSince(start);
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

// The least a listing can cost: the names read and their bytes sorted.
double Floor(const QByteArray& folder) {
    return Milliseconds([&] {
        std::vector<std::string> names;
        DIR* dir = ::opendir(folder.constData());
        while (const dirent* entry = dir ? ::readdir(dir) : nullptr)
            names.emplace_back(entry->d_name);
        if (dir)
            ::closedir(dir);
        std::sort(names.begin(), names.end());
    });
}

void Type(QLineEdit& field, QChar character) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(character));
    QApplication::sendEvent(&field, &press);
    QApplication::sendEvent(&field, &release);
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
    const QByteArray host = QFile::encodeName(dir.path());
    const DriveTable drives({{u'c', host, u"home"_qs}}, QByteArray());
    FileList list(drives, nullptr);
    list.setPattern(u"*.mp3"_qs);
    list.show();

    QTextStream out(stdout);
    const double floor = Floor(host);
    const double fill = Milliseconds([&] { list.setFolder(u"c:\\"_qs); });
    out << "fill: " << fill << " ms, floor: " << floor << " ms, ratio " << fill / floor << " ("
        << list.names().size() << " of " << count << " files)\n";

    // Each change narrows to the files of one track number, then widens back to all of them.
    std::vector<double> narrow;
    std::vector<double> widen;
    for (int i = 1; i <= 11; ++i) {
        narrow.push_back(Milliseconds([&] { list.setPattern(u"%1 - *.mp3"_qs.arg(i)); }));
        widen.push_back(Milliseconds([&] { list.setPattern(u"*.mp3"_qs); }));
    }
    out << "refilter: " << Median(widen) << " ms (median of 11 to all " << list.names().size()
        << " files; to one track number " << Median(narrow) << " ms)\n";

    // The Replace field, wired as the window wires it.
    QLineEdit replaced;
    QObject::connect(&replaced, &QLineEdit::textChanged, &list, &FileList::updatePreview);
    list.setOptionsSource([&] {
        RenameOptions options;
        options.Check5 = Checked;
        options.Text3 = replaced.text();
        options.Text4 = u"-"_qs;
        return options;
    });
    bool shown = false;
    QObject::connect(&list, &FileList::marksShown, [&] { shown = true; });
    std::vector<double> keystrokes;
    std::vector<double> marks;
    for (const QChar character : u"Artist - Title"_qs) {
        shown = false;
        const auto start = Clock::now();
        Type(replaced, character);
        // The window's thread is free once what the key set going has been dealt with.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        keystrokes.push_back(MillisecondsSince(start));
        while (!shown)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        marks.push_back(MillisecondsSince(start));
    }
    out << "keystroke: " << Median(keystrokes) << " ms (median of " << keystrokes.size() << "), "
        << *std::max_element(keystrokes.begin(), keystrokes.end()) << " ms (max)\n"
        << "marks shown: " << Median(marks) << " ms (median), for " << list.names().size()
        << " files\n";
    return list.names().size() == count ? 0 : 1;
}
