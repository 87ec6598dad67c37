// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuseVolume.h"
#include "RuleOptions.h"
#include "Session.h"
#include "TestDrive.h"
#include "files/UndoLog.h"
#include "platform/RenameRecovery.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
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

// lowntfs-3g with ignore_case lists every name in lower case, whatever spelling it was given.
bool ListsLowerCase(Kind kind) {
    return kind == Kind::NtfsIgnoringCase;
}

// Starts a slowed batch or Undo (of a batch the child makes first) in a child and kills it after
// `killAfterMs`, or once the log holds `records` records when that is given.
void KillChildPartWay(const TestDrive& drive, const char* mode, int killAfterMs, int records) {
    QProcess child;
    child.start(QCoreApplication::applicationDirPath() + u"/batch_child"_qs,
                {QString::fromLatin1(mode), QFile::decodeName(drive.host()),
                 QFile::decodeName(drive.stateFolder()), QString::number(kStepDelayMicroseconds)});
    QVERIFY(child.waitForStarted());
    if (qstrcmp(mode, "undo") == 0)
        QVERIFY(child.waitForReadyRead(30000));
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
                         bool lowerCase) {
    const QByteArrayList names = drive.names();
    QVERIFY2(names.size() == originals.size(), names.join(" | ").constData());
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
    QVERIFY(unlogged <= (batch ? 1 : 0));
}

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
        if (ListsLowerCase(kind)) {
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

    void longNameIsRenamedAndUndone_data() { AddVolumeRows(); }
    void longNameIsRenamedAndUndone() {
        MOUNT_OR_SKIP(volume);
        TestDrive drive(SystemCalls::Real(), volume.folder());
        // 206 characters in 406 bytes: past 255 bytes, within NTFS's and exFAT's 255 characters.
        const QByteArray name = QString(200, u'\xe9').toUtf8() + "_x.mp3";
        drive.makeFiles({name});
        if (drive.names() != QByteArrayList{name})
            QSKIP("this volume holds no name of 406 bytes");
        Session session(drive.drives());
        QCOMPARE(session.batch().code, kNoError);
        QCOMPARE(drive.names(), QByteArrayList{QString(200, u'\xe9').toUtf8() + " x.mp3"});
        QCOMPARE(session.undo().code, kNoError);
        QCOMPARE(drive.names(), QByteArrayList{name});
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
    // a stop, and for the reason it marks.
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
            VerifyEveryFileOnce(drive, originals, !undo, ListsLowerCase(kind));
            if (QTest::currentTestFailed())
                return;
        }
    }
};

QTEST_GUILESS_MAIN(VolumesTest)
#include "volumes_test.moc"
