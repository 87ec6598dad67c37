// SPDX-License-Identifier: GPL-3.0-or-later
#include "FaultySystemCalls.h"
#include "TestDrive.h"
#include "platform/FileOperations.h"
#include "platform/RenameRecovery.h"

#include <QFile>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

using namespace corvane;

namespace {

using Call = FaultySystemCalls::Call;
using Planted = FaultySystemCalls::Fault;

const QByteArray kAside = "b (2)";

void WriteFile(const QByteArray& path, const QByteArray& contents) {
    QFile file(QFile::decodeName(path));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size());
}

} // namespace

Q_DECLARE_METATYPE(QList<Planted>)

class RenameTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyStepOfEveryLadder_data() {
        QTest::addColumn<QList<Planted>>("faults");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<FileErrorCode>("code");
        QTest::addColumn<QByteArrayList>("names");
        QTest::addColumn<QString>("leftAs");
        const QByteArrayList untouched{"a.mp3", "b.mp3"};
        const QByteArrayList renamed{"b.mp3", "c.mp3"};
        const QByteArrayList both{"a.mp3", "b.mp3", "c.mp3"};
        // "a.mp3" is renamed to "A.mp3" in a case row, to the taken "b.mp3" in a taken row, else
        // to "c.mp3".
        const auto row = [](const char* label, const QList<Planted>& faults, FileErrorCode code,
                            const QByteArrayList& names, const QString& leftAs = {}) {
            const QString newName = QString::fromLatin1(label).startsWith(u"case") ? u"A.mp3"_qs
                                    : QByteArray(label).endsWith("taken")          ? u"b.mp3"_qs
                                                                                   : u"c.mp3"_qs;
            QTest::newRow(label) << faults << newName << code << names << leftAs;
        };
        // Opens come in this order: the folder, the mount table, the journal, a reservation.
        // A volume that refuses RENAME_NOREPLACE but has links (ntfs-3g, NFS).
        const Planted noFlag{Call::RenameNoReplace, -1, EINVAL};
        row("links: renamed", {noFlag}, kNoError, renamed);
        row("links: taken", {noFlag}, kFileExists, untouched);
        row("links: link fails", {noFlag, {Call::Link, 1, ENOSPC}}, kDiskFull, untouched);
        // An rclone mount answers a link with EIO: no links there, the reservation follows.
        row("links: EIO, so no links", {noFlag, {Call::Link, 1, EIO}}, kNoError, renamed);
        row("links: unlink fails, link taken back", {noFlag, {Call::Unlink, 1, EIO}},
            kDeviceIoError, untouched);
        row("links: the take-back fails too",
            {noFlag, {Call::Unlink, 1, EIO}, {Call::Unlink, 2, ENODEV}}, kDeviceIoError, both,
            u"c.mp3"_qs);
        row("links: short journal writes", {noFlag}, kNoError, renamed);
        row("links: the journal cannot be written", {noFlag, {Call::Open, 3, EACCES}},
            kAccessDenied, untouched);
        // A volume with neither (FAT and exFAT through FUSE): the new name is reserved first.
        const Planted noLinks{Call::Link, -1, EPERM};
        row("reserve: renamed", {noFlag, noLinks}, kNoError, renamed);
        row("reserve: taken", {noFlag, noLinks}, kFileExists, untouched);
        row("reserve: disk full", {noFlag, noLinks, {Call::Open, 4, ENOSPC}}, kDiskFull, untouched);
        row("reserve: rename fails, reservation removed",
            {noFlag, noLinks, {Call::RenameOver, 1, EIO}}, kDeviceIoError, untouched);
        row("reserve: the reservation stays",
            {noFlag, noLinks, {Call::RenameOver, 1, EIO}, {Call::Unlink, 1, EIO}}, kDeviceIoError,
            both, u"c.mp3"_qs);
        // A volume that ignores case answers that the new spelling is taken, by the file itself.
        const Planted ignoresCase{Call::RenameNoReplace, 1, EEXIST};
        row("case: through a free name", {ignoresCase}, kNoError, {"A.mp3", "b.mp3"});
        row("case: stepping aside fails", {ignoresCase, {Call::RenameNoReplace, 2, EIO}},
            kDeviceIoError, untouched);
        row("case: stepping on fails, stepped back", {ignoresCase, {Call::RenameNoReplace, 3, EIO}},
            kDeviceIoError, untouched);
        row("case: a newcomer took the spelling", {ignoresCase, {Call::RenameNoReplace, 3, EEXIST}},
            kFileExists, untouched);
        // Left in sight, named in the message, for the next start to finish.
        row("case: stepping back fails too",
            {ignoresCase, {Call::RenameNoReplace, 3, EIO}, {Call::RenameNoReplace, 4, ENODEV}},
            kDeviceIoError, {"A (2).mp3", "b.mp3"}, u"A (2).mp3"_qs);
        row("case: the volume kept the old spelling", {{Call::RenameNoReplace, 1, 0}},
            kAccessDenied, untouched);
        row("case: the folder cannot be read back", {ignoresCase, {Call::ReadFolder, 1, EIO}},
            kDeviceIoError, untouched);
    }

    // Each step fails in turn; the file is never lost, never under two names unless named in the
    // result, and the journal keeps exactly the steps left stranded until recovery repairs them.
    void everyStepOfEveryLadder() {
        QFETCH(QList<Planted>, faults);
        QFETCH(QString, newName);
        QFETCH(FileErrorCode, code);
        QFETCH(QByteArrayList, names);
        QFETCH(QString, leftAs);
        FaultySystemCalls system(faults);
        if (QByteArray(QTest::currentDataTag()).contains("short"))
            system.writeLimit = 3;
        TestDrive drive(system);
        drive.makeFiles({"a.mp3", "b.mp3"});

        const RenameResult result = FolderOnHost(drive.drives(), u"c:\\").rename(u"a.mp3", newName);
        QCOMPARE(result.code, code);
        QCOMPARE(result.leftAs, leftAs);
        QCOMPARE(drive.names(), names);
        QCOMPARE(ParsePendingRenames(drive.journal()).size(), leftAs.isEmpty() ? 0 : 1);
        if (leftAs.isEmpty()) {
            QVERIFY(drive.contentsIntact({"a.mp3", "b.mp3"}));
            return;
        }
        // Once the volume answers again, a file left aside goes on to its new name; any other
        // stranded step is taken back.
        QVERIFY(RecoverPendingRenames(SystemCalls::Real(), drive.drives().journalPath()).isEmpty());
        const QByteArray repaired = leftAs.contains(u" (2)") ? newName.toUtf8() : "a.mp3";
        QCOMPARE(drive.names(), QByteArrayList({repaired, "b.mp3"}));
        QVERIFY(drive.contentsIntact({"a.mp3", "b.mp3"}));
        QCOMPARE(drive.journal(), QByteArray());
    }

    void recoveryLeavesOneName_data() {
        // What the folder holds: "name=contents", "name>other" for a link of another name, or
        // "name~other" for a name a volume numbers apart from `other` (sshfs): the same size, times
        // and bytes; "name%other" the same size and times, other bytes.
        QTest::addColumn<QByteArrayList>("found");
        QTest::addColumn<QByteArrayList>("after"); // "name=contents"; unchanged when unrepaired
        QTest::addColumn<bool>("repaired");
        const auto row = [](const char* label, const QByteArrayList& found,
                            const QByteArrayList& after,
                            bool repaired) { QTest::newRow(label) << found << after << repaired; };
        const QByteArray aside = kAside + "=A";
        row("nothing begun", {"a=A"}, {"a=A"}, true);
        row("a torn entry, left alone", {"a=A", "b=B"}, {"a=A", "b=B"}, true);
        row("finished", {"b=A"}, {"b=A"}, true);
        row("between link and unlink", {"a=A", "b>a"}, {"a=A"}, true);
        row("between link and unlink, each name numbered apart", {"a=A", "b~a"}, {"a=A"}, true);
        row("numbered apart, other bytes", {"a=A", "b%a"}, {"a=A", "b=a"}, false);
        row("reserved, not yet renamed over", {"a=A", "b="}, {"a=A"}, true);
        row("an empty file reserved", {"a=", "b="}, {"a="}, true);
        row("aside: on to the new name", {aside}, {"b=A"}, true);
        row("aside, linked to the new spelling", {aside, "b>" + kAside}, {"b=A"}, true);
        row("aside, the new spelling reserved", {aside, "b="}, {"b=A"}, true);
        row("aside, the old spelling reserved on the way back", {"a=", aside}, {"b=A"}, true);
        row("a stranger took the new name", {"a=A", "b=B"}, {"a=A", "b=B"}, false);
        row("the file is gone", {}, {}, false);
        // Another window's rename is under way: its step is left to it.
        row("between link and unlink, in flight elsewhere", {"a=A", "b>a"}, {"a=A", "b=A"}, true);
    }

    void recoveryLeavesOneName() {
        QFETCH(QByteArrayList, found);
        QFETCH(QByteArrayList, after);
        QFETCH(bool, repaired);
        TestDrive drive;
        for (const QByteArray& entry : found) {
            const qsizetype mark =
                std::find_if(entry.begin(), entry.end(),
                             [](char c) { return strchr("=>~%", c) != nullptr; }) -
                entry.begin();
            const QByteArray name = entry.first(mark);
            const QByteArray other = entry.sliced(mark + 1);
            if (entry.at(mark) == '>') {
                QCOMPARE(::link(drive.host(other).constData(), drive.host(name).constData()), 0);
            } else if (entry.at(mark) == '=') {
                WriteFile(drive.host(name), other);
            } else {
                WriteFile(drive.host(name), entry.at(mark) == '~' ? drive.contents(other) : other);
                struct stat info {};
                QCOMPARE(::stat(drive.host(other).constData(), &info), 0);
                const timespec times[2]{info.st_atim, info.st_mtim};
                QCOMPARE(::utimensat(AT_FDCWD, drive.host(name).constData(), times, 0), 0);
            }
        }
        const QByteArray tag = QTest::currentDataTag();
        const PendingRename rename{drive.host(), "a", "b", kAside};
        std::optional<RenameJournal> elsewhere;
        if (tag.contains("in flight")) {
            elsewhere.emplace(SystemCalls::Real(), drive.drives().journalPath());
            QVERIFY(elsewhere->begin(rename).ok());
        } else {
            drive.writeJournal({rename}, tag.contains("torn"));
        }

        const QList<PendingRename> unrepaired =
            RecoverPendingRenames(SystemCalls::Real(), drive.drives().journalPath());
        QByteArrayList held;
        for (const QByteArray& name : drive.names())
            held.append(name + '=' + drive.contents(name));
        QCOMPARE(held, after);
        QCOMPARE(unrepaired, repaired ? QList<PendingRename>() : QList{rename});
        // What could not be repaired stays for the next try; nothing else does.
        QCOMPARE(drive.journal(),
                 repaired && !elsewhere ? QByteArray() : FormatPendingRename(rename));
    }
};

QTEST_GUILESS_MAIN(RenameTest)
#include "rename_test.moc"
