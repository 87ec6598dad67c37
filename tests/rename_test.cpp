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

// A fault planted in the seam: the n-th call of a kind, or every one (-1).
struct Planted {
    Call call;
    int at;
    int error;
};

const QByteArray kAside = "b (2)";

void WriteFile(const QByteArray& path, const QByteArray& contents) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, contents.constData(), contents.size()), contents.size());
    ::close(fd);
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
        // Opens come in this order: the folder, the mount table, the journal, a reservation.
        // A volume that refuses RENAME_NOREPLACE but has links (ntfs-3g, NFS).
        const Planted noFlag{Call::RenameNoReplace, -1, EINVAL};
        QTest::newRow("links: renamed") << QList{noFlag} << u"c.mp3"_qs << kNoError
                                        << QByteArrayList{"b.mp3", "c.mp3"} << QString();
        QTest::newRow("links: taken")
            << QList{noFlag} << u"b.mp3"_qs << kFileExists << untouched << QString();
        QTest::newRow("links: link fails") << QList{noFlag, {Call::Link, 1, ENOSPC}} << u"c.mp3"_qs
                                           << kDiskFull << untouched << QString();
        // An rclone mount answers a link with EIO: no links there, the reservation follows.
        QTest::newRow("links: EIO, so no links")
            << QList{noFlag, {Call::Link, 1, EIO}} << u"c.mp3"_qs << kNoError
            << QByteArrayList{"b.mp3", "c.mp3"} << QString();
        QTest::newRow("links: unlink fails, link taken back")
            << QList{noFlag, {Call::Unlink, 1, EIO}} << u"c.mp3"_qs << kDeviceIoError << untouched
            << QString();
        QTest::newRow("links: the take-back fails too")
            << QList{noFlag, {Call::Unlink, 1, EIO}, {Call::Unlink, 2, ENODEV}} << u"c.mp3"_qs
            << kDeviceIoError << QByteArrayList{"a.mp3", "b.mp3", "c.mp3"} << u"c.mp3"_qs;
        QTest::newRow("links: short journal writes")
            << QList{noFlag} << u"c.mp3"_qs << kNoError << QByteArrayList{"b.mp3", "c.mp3"}
            << QString();
        QTest::newRow("links: the journal cannot be written")
            << QList{noFlag, {Call::Open, 3, EACCES}} << u"c.mp3"_qs << kAccessDenied << untouched
            << QString();

        // A volume with neither (FAT and exFAT through FUSE): the new name is reserved first.
        const Planted noLinks{Call::Link, -1, EPERM};
        QTest::newRow("reserve: renamed") << QList{noFlag, noLinks} << u"c.mp3"_qs << kNoError
                                          << QByteArrayList{"b.mp3", "c.mp3"} << QString();
        QTest::newRow("reserve: taken")
            << QList{noFlag, noLinks} << u"b.mp3"_qs << kFileExists << untouched << QString();
        QTest::newRow("reserve: disk full") << QList{noFlag, noLinks, {Call::Open, 4, ENOSPC}}
                                            << u"c.mp3"_qs << kDiskFull << untouched << QString();
        QTest::newRow("reserve: rename fails, reservation removed")
            << QList{noFlag, noLinks, {Call::RenameOver, 1, EIO}} << u"c.mp3"_qs << kDeviceIoError
            << untouched << QString();
        QTest::newRow("reserve: the reservation stays")
            << QList{noFlag, noLinks, {Call::RenameOver, 1, EIO}, {Call::Unlink, 1, EIO}}
            << u"c.mp3"_qs << kDeviceIoError << QByteArrayList{"a.mp3", "b.mp3", "c.mp3"}
            << u"c.mp3"_qs;

        // A volume that ignores case answers that the new spelling is taken, by the file itself.
        const Planted ignoresCase{Call::RenameNoReplace, 1, EEXIST};
        QTest::newRow("case: through a free name") << QList{ignoresCase} << u"A.mp3"_qs << kNoError
                                                   << QByteArrayList{"A.mp3", "b.mp3"} << QString();
        QTest::newRow("case: stepping aside fails")
            << QList{ignoresCase, {Call::RenameNoReplace, 2, EIO}} << u"A.mp3"_qs << kDeviceIoError
            << untouched << QString();
        QTest::newRow("case: stepping on fails, stepped back")
            << QList{ignoresCase, {Call::RenameNoReplace, 3, EIO}} << u"A.mp3"_qs << kDeviceIoError
            << untouched << QString();
        QTest::newRow("case: a newcomer took the spelling")
            << QList{ignoresCase, {Call::RenameNoReplace, 3, EEXIST}} << u"A.mp3"_qs << kFileExists
            << untouched << QString();
        // A newcomer that took the name in that moment leaves the file in sight, named in the
        // message, for the next start to finish.
        QTest::newRow("case: stepping back fails too")
            << QList{ignoresCase,
                     {Call::RenameNoReplace, 3, EIO},
                     {Call::RenameNoReplace, 4, ENODEV}}
            << u"A.mp3"_qs << kDeviceIoError << QByteArrayList{"A (2).mp3", "b.mp3"}
            << u"A (2).mp3"_qs;
        QTest::newRow("case: the volume kept the old spelling")
            << QList<Planted>{{Call::RenameNoReplace, 1, 0}} << u"A.mp3"_qs << kAccessDenied
            << untouched << QString();
        QTest::newRow("case: the folder cannot be read back")
            << QList{ignoresCase, {Call::ReadFolder, 1, EIO}} << u"A.mp3"_qs << kDeviceIoError
            << untouched << QString();
    }

    // Each step fails in turn; the file is never lost, never under two names unless named in the
    // result, and the journal keeps exactly the steps left stranded until recovery repairs them.
    void everyStepOfEveryLadder() {
        QFETCH(QList<Planted>, faults);
        QFETCH(QString, newName);
        QFETCH(FileErrorCode, code);
        QFETCH(QByteArrayList, names);
        QFETCH(QString, leftAs);
        FaultySystemCalls system;
        for (const Planted& fault : faults) {
            if (fault.at == -1)
                system.failAlways(fault.call, fault.error);
            else
                system.failAt(fault.call, fault.at, fault.error);
        }
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
        const QByteArray aside = kAside + "=A";
        QTest::newRow("nothing begun") << QByteArrayList{"a=A"} << QByteArrayList{"a=A"} << true;
        QTest::newRow("finished") << QByteArrayList{"b=A"} << QByteArrayList{"b=A"} << true;
        QTest::newRow("between link and unlink")
            << QByteArrayList{"a=A", "b>a"} << QByteArrayList{"a=A"} << true;
        QTest::newRow("between link and unlink, each name numbered apart")
            << QByteArrayList{"a=A", "b~a"} << QByteArrayList{"a=A"} << true;
        QTest::newRow("numbered apart, other bytes")
            << QByteArrayList{"a=A", "b%a"} << QByteArrayList{"a=A", "b=a"} << false;
        QTest::newRow("reserved, not yet renamed over")
            << QByteArrayList{"a=A", "b="} << QByteArrayList{"a=A"} << true;
        QTest::newRow("an empty file reserved")
            << QByteArrayList{"a=", "b="} << QByteArrayList{"a="} << true;
        QTest::newRow("aside: on to the new name")
            << QByteArrayList{aside} << QByteArrayList{"b=A"} << true;
        QTest::newRow("aside, linked to the new spelling")
            << QByteArrayList{aside, "b>" + kAside} << QByteArrayList{"b=A"} << true;
        QTest::newRow("aside, the new spelling reserved")
            << QByteArrayList{aside, "b="} << QByteArrayList{"b=A"} << true;
        QTest::newRow("aside, the old spelling reserved on the way back")
            << QByteArrayList{"a=", aside} << QByteArrayList{"b=A"} << true;
        QTest::newRow("a stranger took the new name")
            << QByteArrayList{"a=A", "b=B"} << QByteArrayList{"a=A", "b=B"} << false;
        QTest::newRow("the file is gone") << QByteArrayList{} << QByteArrayList{} << false;
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
        const PendingRename rename{drive.host(), "a", "b", kAside};
        drive.writeJournal({rename});

        const QList<PendingRename> unrepaired =
            RecoverPendingRenames(SystemCalls::Real(), drive.drives().journalPath());
        QByteArrayList held;
        for (const QByteArray& name : drive.names())
            held.append(name + '=' + drive.contents(name));
        QCOMPARE(held, after);
        QCOMPARE(unrepaired, repaired ? QList<PendingRename>() : QList{rename});
        // What could not be repaired stays for the next try; nothing else does.
        QCOMPARE(ParsePendingRenames(drive.journal()), unrepaired);
    }

    void tornEntryIsDropped() {
        TestDrive drive;
        drive.makeFiles({"a"});
        drive.writeJournal({{drive.host(), "a", "b", kAside}}, true);
        QVERIFY(RecoverPendingRenames(SystemCalls::Real(), drive.drives().journalPath()).isEmpty());
        QCOMPARE(drive.names(), QByteArrayList{"a"});
        QCOMPARE(drive.journal(), QByteArray());
    }

    void stepInFlightElsewhereIsLeftAlone() {
        TestDrive drive;
        drive.makeFiles({"a"});
        ::link(drive.host("a").constData(), drive.host("b").constData());
        RenameJournal inFlight(SystemCalls::Real(), drive.drives().journalPath());
        QVERIFY(inFlight.begin({drive.host(), "a", "b", {}}).ok());
        QVERIFY(RecoverPendingRenames(SystemCalls::Real(), drive.drives().journalPath()).isEmpty());
        QCOMPARE(drive.names(), QByteArrayList({"a", "b"}));
        QCOMPARE(ParsePendingRenames(drive.journal()).size(), 1);
    }
};

QTEST_GUILESS_MAIN(RenameTest)
#include "rename_test.moc"
