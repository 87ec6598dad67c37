// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuseVolume.h"
#include "RuleOptions.h"
#include "Session.h"
#include "TestDrive.h"
#include "files/UndoLog.h"
#include "platform/RenameRecovery.h"

#include <QDir>
#include <QLocalSocket>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <csignal>
#include <memory>
#include <unistd.h>

using namespace corvane;
using Kind = FuseVolume::Kind;

Q_DECLARE_METATYPE(FuseVolume::Kind)

namespace {

const QString kRoot = QStringLiteral("c:\\");
constexpr int kStepDelayMicroseconds = 1500;

// The local disk's own rules are the file tests'; here it only meets kills.
const QList<std::pair<const char*, Kind>> kVolumes{
    {"FAT through fusefat", Kind::Fat},
    {"exFAT through exfat-fuse", Kind::ExFat},
    {"NTFS through ntfs-3g", Kind::Ntfs},
    {"NTFS ignoring case through lowntfs-3g", Kind::NtfsIgnoringCase},
    {"sshfs to OpenSSH on 127.0.0.1", Kind::Sshfs},
    {"Samba on 127.0.0.1 through smbnetfs", Kind::Samba},
    {"kernel vfat", Kind::KernelVfat},
    {"kernel exfat", Kind::KernelExfat},
    {"kernel cifs to Samba on 127.0.0.1", Kind::KernelCifs}};

void AddVolumeRows() {
    QTest::addColumn<Kind>("kind");
    for (const auto& [name, kind] : kVolumes)
        QTest::newRow(name) << kind;
}

// Starts a slowed batch or Undo (of a batch the child makes first) in a child and kills it after
// `killAfterMs`, or once the log holds `records` records when that is given.
void KillChildPartWay(const TestDrive& drive, const char* mode, int killAfterMs, int records) {
    QProcess child;
    child.start(QCoreApplication::applicationDirPath() + u"/batch_child"_qs,
                {QString::fromLatin1(mode), QFile::decodeName(drive.host()),
                 QFile::decodeName(drive.stateFolder()), QString::number(kStepDelayMicroseconds)});
    QVERIFY(child.waitForStarted());
    // The child says "started" before its batch and "batched" before its Undo.
    QByteArray said = qstrcmp(mode, "undo") == 0 ? QByteArray() : "batched";
    while (!said.contains("batched") && child.waitForReadyRead(30000))
        said += child.readAll();
    QVERIFY(said.contains("batched"));
    if (records > 0)
        QTRY_VERIFY_WITH_TIMEOUT(
            drive.log().count('\n') >= records || child.state() == QProcess::NotRunning, 20000);
    QTest::qSleep(killAfterMs);
    // A batch that stops early may be over already.
    if (child.state() != QProcess::NotRunning) {
        child.kill();
        QVERIFY(child.waitForFinished());
    }
}

// Every file is there exactly once, under a name of its own log record or its old name, none
// under a temporary or hidden name, and the log holds every rename but at most the one in flight.
void VerifyEveryFileOnce(const TestDrive& drive, const QByteArrayList& originals, bool batch,
                         bool lowerCase, qsizetype unloggedAllowed = 1) {
    const QByteArrayList names = drive.names();
    QVERIFY2(names.size() == originals.size(), names.join(" | ").constData());
    const qsizetype emptied =
        std::count_if(names.begin(), names.end(),
                      [&](const QByteArray& name) { return drive.contents(name).isEmpty(); });
    QVERIFY2(emptied == 0, qPrintable(u"%1 files emptied"_qs.arg(emptied)));
    QVERIFY(drive.contentsIntact(originals));
    for (const QByteArray& name : names)
        QVERIFY2(!name.startsWith('.'), name.constData());
    const UndoLogContents log = ParseUndoLog(drive.log());
    QCOMPARE(log.code, kNoError);
    qsizetype unlogged = 0;
    for (const QByteArray& name : names) {
        const QByteArray old = drive.contents(name);
        const bool logged =
            std::any_of(log.records.begin(), log.records.end(), [&](const UndoRecord& record) {
                const QString listed = lowerCase ? record.newName.toLower() : record.newName;
                return listed.toUtf8() == name && record.oldName.toUtf8() == old;
            });
        if (name != old && !logged)
            ++unlogged;
        if (batch)
            continue;
        // Undo only ever puts a logged file back.
        QVERIFY2(name == old || logged, name.constData());
    }
    QVERIFY(unlogged <= (batch ? unloggedAllowed : 0));
}

// Runs `script` in a guest of Debian's kernel with `disks` as its disks and `share` writable,
// and cuts it off when `cut` is given: once the guest prints `mark`, after `afterMs`, the first
// disk pulled (through qemu's monitor) or the power cut (qemu killed). Returns the guest's output.
struct Cut {
    QByteArray mark;
    int afterMs = 0;
    bool power = false;
};

QString RunInGuest(const QDir& share, const QStringList& disks, const QString& script,
                   const std::optional<Cut>& cut) {
    QFile file(share.filePath(u"round.sh"_qs));
    if (!file.open(QIODevice::WriteOnly) || file.write(script.toUtf8()) < 0)
        return u"no room for the guest's script"_qs;
    file.close();
    QStringList arguments{u"--share"_qs,   share.path(),
                          u"--pidfile"_qs, share.filePath(u"qemu.pid"_qs),
                          u"--monitor"_qs, share.filePath(u"monitor"_qs)};
    for (const QString& disk : disks)
        arguments << u"--disk"_qs << disk;
    QProcess guest;
    guest.setProcessChannelMode(QProcess::MergedChannels);
    guest.start(QStringLiteral(QT_TESTCASE_SOURCEDIR "/../scripts/guest-run.sh"),
                arguments << u"sh"_qs << file.fileName());
    QByteArray output;
    if (cut) {
        while (!output.contains(cut->mark) && guest.waitForReadyRead(120000))
            output += guest.readAll();
        QTest::qSleep(cut->afterMs);
        if (cut->power) {
            QFile pid(share.filePath(u"qemu.pid"_qs));
            if (pid.open(QIODevice::ReadOnly))
                ::kill(pid.readAll().trimmed().toInt(), SIGKILL);
        } else {
            QLocalSocket monitor;
            monitor.connectToServer(share.filePath(u"monitor"_qs));
            if (monitor.waitForConnected() && monitor.write("drive_del disk0\n") > 0)
                monitor.waitForBytesWritten();
            QTest::qSleep(200);
        }
    }
    guest.waitForFinished(300000);
    return QString::fromUtf8(output + guest.readAll());
}

// Makes the kernel write back a second after a write, as it does after thirty seconds on a
// desktop, so that short batches meet the writeback in their middle.
const QString kGuestWriteback = u"echo 100 > /proc/sys/vm/dirty_expire_centisecs\n"
                                "echo 20 > /proc/sys/vm/dirty_writeback_centisecs\n"_qs;

// Mounts a stick (driver, options, device) at /tmp/stick and its state disk at /tmp/state.
const QString kGuestMounts =
    u"mkdir -p /tmp/stick /tmp/state\n"
    "mount -t %1 -o %2 %3 /tmp/stick && mount -t ext4 %4 /tmp/state || exit 1\n"_qs;

// The volume under test, or a skip that says why it cannot be had here.
#define MOUNT_OR_SKIP(volume)                                                                      \
    QFETCH(Kind, kind);                                                                            \
    FuseVolume volume(kind);                                                                       \
    if (!volume.unavailable().isEmpty())                                                           \
        QSKIP(qPrintable(volume.unavailable()));

} // namespace

class VolumesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void batchAndUndoRestoreTheFolder_data() { AddVolumeRows(); }
    void batchAndUndoRestoreTheFolder() {
        MOUNT_OR_SKIP(volume);
        TestDrive drive(SystemCalls::Real(), volume.folder());
        // A plain rename, two case-only ones, and two names mapped to one, which stops the batch.
        const QByteArrayList originals{"my_band_-_first.mp3", "song.mp3", "x y.mp3", "x_y.mp3"};
        drive.makeFiles(originals);
        Session session(drive.drives());
        const BatchResult batch = session.batch(Rules(u"Option1"_qs));
        // lowntfs-3g with ignore_case lists every name in lower case, whatever its spelling.
        if (kind == Kind::NtfsIgnoringCase) {
            // A new spelling that cannot be read back is reported, not counted as done.
            QCOMPARE(batch.code, kAccessDenied);
            QCOMPARE(batch.renamed, 1);
            QCOMPARE(drive.names(),
                     QByteArrayList({"my band - first.mp3", "song.mp3", "x y.mp3", "x_y.mp3"}));
        } else {
            QCOMPARE(batch.code, kFileExists);
            QCOMPARE(batch.renamed, 3);
            QCOMPARE(drive.names(),
                     QByteArrayList({"My Band - First.mp3", "Song.mp3", "X Y.mp3", "x_y.mp3"}));
        }
        QVERIFY(drive.contentsIntact(originals));
        QCOMPARE(session.undo().code, kNoError);
        QCOMPARE(drive.names(), originals);
        QVERIFY(drive.contentsIntact(originals));
    }

    void undoAfterReplugRenamesOnlyInAProvenFolder_data() { AddVolumeRows(); }
    // A stick pulled out after a batch and plugged in again: Undo renames there where the volume
    // shows the very folder again (device and inode), and elsewhere refuses and renames nothing.
    void undoAfterReplugRenamesOnlyInAProvenFolder() {
        MOUNT_OR_SKIP(volume);
        TestDrive drive(SystemCalls::Real(), volume.folder());
        drive.makeFiles({"a_1.mp3"}, "album");
        Session session(drive.drives());
        QCOMPARE(session.batch({}, u"c:\\album"_qs).code, kNoError);
        const auto identity = [&] {
            struct stat info {};
            ::stat(drive.host("album").constData(), &info);
            return std::pair(info.st_dev, info.st_ino);
        };
        const auto before = identity();
        QVERIFY(volume.replug());
        const bool kept = identity() == before;
        qInfo("the folder's device and inode %s across the re-plug", kept ? "stay" : "change");
        QCOMPARE(session.undo().code, kept ? kNoError : kFolderReplaced);
        QCOMPARE(drive.names("album"), QByteArrayList{kept ? "a_1.mp3" : "a 1.mp3"});
    }

    void newcomerOnTheServerIsNeverReplaced_data() {
        AddVolumeRows();
        QTest::newRow("rclone mount of a folder") << Kind::Rclone;
    }

    // Another machine puts a file on the server, under the name the batch is about to give, after
    // the folder was listed: the batch stops there and the server's file stays as it was; on a
    // volume that could replace it unseen, nothing is renamed at all.
    void newcomerOnTheServerIsNeverReplaced() {
        MOUNT_OR_SKIP(volume);
        TestDrive drive(SystemCalls::Real(), volume.folder());
        drive.makeFiles({"a_1.mp3", "b_1.mp3"});
        const FolderListing listed = ListedFiles(drive.drives(), kRoot);
        const QList<RenamePlan> plans = PlanBatch(listed.names, listed.entries, listed.rules, {});
        QFile newcomer(QFile::decodeName(volume.serverFolder() + "/b 1.mp3"));
        QVERIFY(newcomer.open(QIODevice::WriteOnly) && newcomer.write("server") == 6);
        newcomer.close();

        LastBatch last(drive.drives());
        const BatchResult batch = RunBatchJob(last.batch(kRoot, listed.folder, plans)).result;
        const bool caches = kind == Kind::Rclone;
        QCOMPARE(batch.code, caches ? kVolumeCaches : kFileExists);
        QCOMPARE(batch.renamed, caches ? 0 : 1);
        QVERIFY(newcomer.open(QIODevice::ReadOnly));
        QCOMPARE(newcomer.readAll(), QByteArray("server"));
    }

    void previewStopsWhereTheBatchStops_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QByteArrayList>("files");
        QTest::addColumn<QString>("replace"); // Text3 > Text4
        const QByteArray accented = QString(120, u'\xe9').toUtf8();
        const QList<std::tuple<const char*, QByteArrayList, QString>> rules{
            {"a colon", {"a.mp3", "b.mp3", "c.mp3"}, u"b>b:"_qs},
            {"a trailing dot", {"a.mp3", "b.mp3"}, u"b.mp3>b."_qs},
            {"a device name", {"a.mp3", "nulx.mp3"}, u"x>"_qs},
            {"past 255 bytes, within 255 characters",
             {"a.mp3", accented + "x.mp3"},
             u"x>"_qs + QString(20, u'y')},
            {"two names that differ in case", {"a.mp3", "song.mp3", "SONGx.mp3"}, u"x>"_qs}};
        for (const auto& [volume, kind] : kVolumes) {
            for (const auto& [rule, files, replace] : rules)
                QTest::addRow("%s: %s", volume, rule) << kind << files << replace;
        }
    }

    // Whatever the volume's rules, the batch stops exactly on the first file the preview marks with
    // a stop, and for the reason it marks; what it renamed bears the very name planned, not one
    // the volume altered.
    void previewStopsWhereTheBatchStops() {
        QFETCH(QByteArrayList, files);
        QFETCH(QString, replace);
        MOUNT_OR_SKIP(volume);
        TestDrive drive(SystemCalls::Real(), volume.folder());
        drive.makeFiles(files);
        const RenameOptions options = Rules(u"Check5 Text3=%1 Text4=%2"_qs.arg(
            replace.section(u'>', 0, 0), replace.section(u'>', 1)));
        const FolderListing listed = ListedFiles(drive.drives(), kRoot);
        const QList<RenamePlan> plans =
            PlanBatch(listed.names, listed.entries, listed.rules, options);
        const auto stop = std::find_if(plans.begin(), plans.end(), [](const RenamePlan& plan) {
            return plan.mark != PreviewMark::Changes && plan.mark != PreviewMark::Unchanged;
        });
        LastBatch last(drive.drives());
        const BatchResult batch = RunBatchJob(last.batch(kRoot, listed.folder, plans)).result;
        QCOMPARE(batch.renamed, stop - plans.begin());
        const QByteArrayList names = drive.names(); // read once: a listing of a share is slow
        for (const RenamePlan& plan : plans.first(batch.renamed))
            QVERIFY(names.contains(plan.newName.toUtf8()));
        const FileErrorCode expected = stop == plans.end()                  ? kNoError
                                       : stop->mark == PreviewMark::Refused ? kBadFileName
                                                                            : kFileExists;
        QCOMPARE(batch.code, expected);
    }

    void killedBatchAndUndoLeaveEveryFileOnce_data() {
        AddVolumeRows();
        QTest::newRow("local disk") << Kind::LocalDisk;
    }
    void killedBatchAndUndoLeaveEveryFileOnce() {
        MOUNT_OR_SKIP(volume);
        TestDrive drive(SystemCalls::Real(), volume.folder());
        QByteArrayList originals;
        for (int i = 0; i < 12; ++i) {
            originals.append("song " + QByteArray::number(i + 10) + ".mp3"); // a case-only change
            originals.append("a_b_" + QByteArray::number(i + 10) + ".mp3");
        }
        QRandomGenerator random(7);
        for (int round = 0; round < 12; ++round) {
            for (const QByteArray& name : drive.names())
                QCOMPARE(::unlink(drive.host(name).constData()), 0);
            drive.makeFiles(originals);
            const bool undo = round % 2 == 1;
            if (undo)
                KillChildPartWay(drive, "undo", 10 + random.bounded(40), 0);
            else
                KillChildPartWay(drive, "batch", random.bounded(6), 1 + random.bounded(16));
            // The start-up comes later: a network client finishes meanwhile what the killed
            // process had already asked of its server.
            if (kind == Kind::Sshfs || kind == Kind::Samba || kind == Kind::KernelCifs)
                QTest::qWait(500);
            // The next start: half-done renames repaired, the log cut to its whole records.
            QCOMPARE(LastBatch(drive.drives()).start(), QString());
            VerifyEveryFileOnce(drive, originals, !undo, kind == Kind::NtfsIgnoringCase);
            if (QTest::currentTestFailed())
                return;
        }
    }

    void pulledStickAndPowerCutEmptyNoFile_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<bool>("power");
        for (const auto& [name, kind] : {std::pair("kernel vfat", Kind::KernelVfat),
                                         std::pair("kernel exfat", Kind::KernelExfat)}) {
            QTest::addRow("%s: stick pulled", name) << kind << false;
            QTest::addRow("%s: power cut", name) << kind << true;
        }
    }

    // The stick pulled out, or the power cut, at random moments of a batch and of an Undo long
    // enough for the kernel to write back in their middle; the state folder on a disk that keeps
    // what was written, or loses it with the power. Then fsck, and the next start in a fresh
    // guest: every file once, under its old or new name, with its bytes. A stick pulled right
    // after a batch says it ended keeps all of it. Each guest starts up on the last round's
    // stick before it cuts its own, which halves the guests booted.
    void pulledStickAndPowerCutEmptyNoFile() {
        QFETCH(Kind, kind);
        QFETCH(bool, power);
        if (qEnvironmentVariableIsSet("CORVANE_IN_GUEST"))
            QSKIP("run from outside the guest");
        if (qEnvironmentVariableIsSet("CORVANE_NO_GUEST"))
            QSKIP(qPrintable(qEnvironmentVariable("CORVANE_NO_GUEST")));
        if (::geteuid() != 0)
            QSKIP("the images are made and checked as root");
        const auto [driver, options] = *FuseVolume::KernelDriver(kind);
        const QString fsck = kind == Kind::KernelVfat ? u"fsck.vfat"_qs : u"fsck.exfat"_qs;
        QByteArrayList originals;
        for (int i = 10; i < 70; ++i)
            originals << "song " + QByteArray::number(i) + ".mp3"
                      << "a_b_" + QByteArray::number(i) + ".mp3";
        // Made without vfat's flush on every close, which would take longer than the batch.
        const QString makeFiles =
            u"mkdir -p /tmp/stick && mount -t %1 -o %2 /dev/vda /tmp/stick || exit 1\n"
            "mkdir /tmp/stick/music && cd /tmp/stick/music || exit 1\n"
            "for i in $(seq 10 69); do printf %s \"song $i.mp3\" > \"song $i.mp3\"; "
            "printf %s a_b_$i.mp3 > a_b_$i.mp3; done\n"
            "cd / && umount /tmp/stick || exit 1\n"_qs.arg(driver,
                                                           QString(options).remove(u",flush"_qs));
        const QString child = QCoreApplication::applicationDirPath() +
                              u"/batch_child %1 /tmp/stick/music /tmp/state %2"_qs;
        QTemporaryDir work;
        const QDir share(work.path());
        // The start-up on a cut round's stick and state (vda and vdb, or vdc and vdd while this
        // guest cuts a stick of its own), copied out for the checks.
        const auto startUp = [&](int round, const QString& stick, const QString& state) -> QString {
            return kGuestMounts.arg(driver, options, stick, state) +
                   child.arg(u"start"_qs, u"0"_qs) +
                   u"\ncp -a /tmp/stick/music %1/music && cp -a /tmp/state/. %1/state && "
                   "umount /tmp/stick /tmp/state || exit 1\n"_qs.arg(
                       share.filePath(QString::number(round)));
        };
        const auto imagesOf = [&](int round) {
            const QString at = share.filePath(QString::number(round));
            return QStringList{at + u"/stick.img"_qs, at + u"/state.img"_qs};
        };
        const auto check = [&](int round, const QString& output) {
            QVERIFY2(output.contains(u"start-up: "_qs), qPrintable(output));
            const QString at = share.filePath(QString::number(round));
            TestDrive drive(SystemCalls::Real(), QFile::encodeName(at + u"/music"_qs));
            QFile::copy(at + u"/state/razveljavi.txt"_qs,
                        QFile::decodeName(drive.stateFolder() + "/razveljavi.txt"));
            const QByteArrayList names = drive.names();
            const qsizetype renamed =
                std::count_if(names.begin(), names.end(),
                              [&](const auto& name) { return !originals.contains(name); });
            qInfo("round %d: %lld of %lld files under a new name", round, qlonglong(renamed),
                  qlonglong(names.size()));
            // A power cut may take the last second of the log with it, never a file.
            VerifyEveryFileOnce(drive, originals, round % 2 == 0, false,
                                power ? originals.size() : 1);
            if (round == 6) // pulled right after the end
                QCOMPARE(renamed, originals.size());
        };
        QRandomGenerator random(11);
        // Half during batches, half during Undo; with the stick pulled, once more right after
        // the end.
        const int rounds = power ? 6 : 7;
        for (int round = 0; round <= rounds; ++round) {
            QStringList disks;
            QString script = kGuestWriteback;
            std::optional<Cut> cut;
            if (round < rounds) {
                const bool afterTheEnd = round == 6;
                const bool undo = round % 2 == 1;
                QVERIFY(share.mkdir(QString::number(round)));
                disks = imagesOf(round);
                QProcess make;
                make.setWorkingDirectory(share.filePath(QString::number(round)));
                make.start(u"sh"_qs,
                           {u"-c"_qs,
                            u"PATH=$PATH:/usr/sbin:/sbin; truncate -s 64M stick.img && "
                            "truncate -s 32M state.img && mkfs.%1 stick.img && mkfs.ext4 "
                            "-q state.img"_qs.arg(driver == u"vfat" ? u"vfat -F 32"_qs : driver)});
                QVERIFY(make.waitForFinished() && make.exitCode() == 0);
                cut = Cut{afterTheEnd ? "ended"
                          : undo      ? "batched"
                                      : "started",
                          afterTheEnd ? 0 : 200 + int(random.bounded(3800)), power};
            }
            if (round > 0) {
                const bool alone = disks.isEmpty();
                disks += imagesOf(round - 1);
                script += startUp(round - 1, alone ? u"/dev/vda"_qs : u"/dev/vdc"_qs,
                                  alone ? u"/dev/vdb"_qs : u"/dev/vdd"_qs);
            }
            if (cut)
                script += makeFiles +
                          kGuestMounts.arg(driver, options, u"/dev/vda"_qs, u"/dev/vdb"_qs) +
                          child.arg(round % 2 == 1 ? u"undo"_qs : u"batch"_qs, u"20000"_qs) +
                          u"\necho ended\nsleep 1\nsync\n"_qs;
            const QString output = RunInGuest(share, disks, script, cut);
            if (output.contains(u"guest unavailable: "_qs))
                QSKIP(qPrintable(output.trimmed()));
            if (round > 0)
                check(round - 1, output);
            if (QTest::currentTestFailed())
                return qInfo("%s", qPrintable(output));
            if (!cut)
                continue;
            QProcess fsckRun;
            fsckRun.setProcessChannelMode(QProcess::MergedChannels);
            fsckRun.start(u"sh"_qs, {u"-c"_qs, u"PATH=$PATH:/usr/sbin:/sbin %1 -n %2"_qs.arg(
                                                   fsck, disks.first())});
            fsckRun.waitForFinished();
            qInfo("round %d, %s after %d ms; %s says: %s", round, round % 2 == 1 ? "Undo" : "batch",
                  cut->afterMs, qPrintable(fsck),
                  qPrintable(QString::fromUtf8(fsckRun.readAll()).simplified().right(300)));
        }
    }
};

QTEST_GUILESS_MAIN(VolumesTest)
#include "volumes_test.moc"
