// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuseVolume.h"
#include "RuleOptions.h"
#include "Session.h"
#include "TestDrive.h"
#include "files/UndoLog.h"
#include "platform/RenameRecovery.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <map>
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
    {"kernel cifs to Samba on 127.0.0.1", Kind::KernelCifs},
    {"kernel NFS 4.2, the state folder there too", Kind::KernelNfs}};
// NFS 3 differs where the state folder's locks are taken: NLM, not the protocol's own.
const auto kNfs3 = std::pair{"kernel NFS 3, the state folder there too", Kind::KernelNfs3};

// The guest of Debian's kernel runs the rows of the kernel's own drivers, the host the others.
bool RowRunsHere(Kind kind) {
    return (kind >= Kind::KernelVfat) == qEnvironmentVariableIsSet("CORVANE_IN_GUEST");
}

void AddVolumeRows(const QList<std::pair<const char*, Kind>>& more = {}) {
    QTest::addColumn<Kind>("kind");
    for (const auto& [name, kind] : kVolumes + more) {
        if (RowRunsHere(kind))
            QTest::newRow(name) << kind;
    }
}

// Starts a slowed batch or Undo (of a batch the child makes first) in a child and kills it after
// `killAfterMs`, or once the log holds `records` records when that is given.
void KillChildPartWay(const TestDrive& drive, const char* mode, int killAfterMs, int records) {
    QProcess child;
    child.start(QCoreApplication::applicationDirPath() + u"/batch_child"_qs,
                {QString::fromLatin1(mode), QFile::decodeName(drive.host()),
                 QFile::decodeName(drive.stateFolder()), QString::number(kStepDelayMicroseconds)});
    QVERIFY(child.waitForStarted());
    child.closeWriteChannel(); // the slowed action begins at once
    QByteArray said;
    while (!said.contains("ready") && child.waitForReadyRead(30000))
        said += child.readAll();
    QVERIFY(said.contains("ready"));
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

// Waits until the folder as a server holds it stays the same across two looks a tenth of a
// second apart, as it does once the server has answered all that a killed client asked.
void AwaitSettled(const QByteArray& folder) {
    const QDir served(QFile::decodeName(folder));
    QStringList last;
    for (int looks = 0; looks < 100; ++looks) {
        const QStringList now = served.entryList(QDir::Files | QDir::Hidden | QDir::System);
        if (looks > 0 && now == last)
            return;
        last = now;
        QTest::qSleep(100);
    }
}

// The row's volume, made once for all the rows of its kind (a volume costs seconds in the
// guest), and a folder on it for this row alone with a drive on it; or a skip that says why it
// cannot be had here. On NFS the state folder is there too, as with a home folder on a server.
#define MOUNT_OR_SKIP(volume, folder)                                                              \
    QFETCH(Kind, kind);                                                                            \
    FuseVolume& volume = sharedVolume(kind);                                                       \
    if (!volume.unavailable().isEmpty())                                                           \
        QSKIP(qPrintable(volume.unavailable()));                                                   \
    const QByteArray folder = '/' + QByteArray::number(++m_rows);                                  \
    const QByteArray state =                                                                       \
        kind >= Kind::KernelNfs ? volume.folder() + folder + "-state" : QByteArray();              \
    TestDrive drive(SystemCalls::Real(), volume.folder() + folder, state);

} // namespace

class VolumesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void batchAndUndoRestoreTheFolder_data() { AddVolumeRows({kNfs3}); }
    void batchAndUndoRestoreTheFolder() {
        MOUNT_OR_SKIP(volume, folder);
        // A plain rename, two case-only ones, and two names mapped to one, which stops the batch.
        const QByteArrayList originals{"my_band_-_first.mp3", "song.mp3", "x y.mp3", "x_y.mp3"};
        drive.makeFiles(originals);
        // On NFS a player holds one open through the batch: its old name stays as a hidden entry
        // until the player lets go. (Through smbnetfs, a file open elsewhere is not renamed.)
        QFile playing(QFile::decodeName(drive.host("song.mp3")));
        QVERIFY(kind < Kind::KernelNfs || playing.open(QIODevice::ReadOnly));
        Session session(drive.drives());
        const BatchResult batch = session.batch(Rules(u"Option1"_qs));
        playing.close();
        // lowntfs-3g with ignore_case lists every name in lower case, whatever its spelling.
        if (kind == Kind::NtfsIgnoringCase) {
            // A new spelling that cannot be read back is reported, not counted as done.
            QCOMPARE(batch.code, kAccessDenied);
            QCOMPARE(batch.renamed, 1);
            QTRY_COMPARE(drive.names(),
                         QByteArrayList({"my band - first.mp3", "song.mp3", "x y.mp3", "x_y.mp3"}));
        } else {
            QCOMPARE(batch.code, kFileExists);
            QCOMPARE(batch.renamed, 3);
            QTRY_COMPARE(drive.names(),
                         QByteArrayList({"My Band - First.mp3", "Song.mp3", "X Y.mp3", "x_y.mp3"}));
        }
        QCOMPARE(session.undo().code, kNoError);
        QCOMPARE(drive.names(), originals);
        QVERIFY(drive.contentsIntact(originals));
    }

    void undoAfterReplugRenamesOnlyInAProvenFolder_data() { AddVolumeRows(); }
    // A stick pulled out after a batch and plugged in again: Undo renames there where the volume
    // shows the very folder again (device and inode), and elsewhere refuses and renames nothing.
    void undoAfterReplugRenamesOnlyInAProvenFolder() {
        QFETCH(Kind, kind);
        // A volume of its own: FUSE daemons number the entries in the order they are looked up.
        FuseVolume volume(kind);
        if (!volume.unavailable().isEmpty())
            QSKIP(qPrintable(volume.unavailable()));
        TestDrive drive(SystemCalls::Real(), volume.folder());
        drive.makeFiles({"a_1.mp3"}, "album");
        Session session(drive.drives());
        QCOMPARE(session.batch({}, u"c:\\album"_qs).code, kNoError);
        QVERIFY(volume.replug());
        // The kernel's vfat and exfat make inode numbers up at each mount; FUSE daemons and
        // servers give the folder the number it had.
        const bool kept = kind != Kind::KernelVfat && kind != Kind::KernelExfat;
        QCOMPARE(session.undo().code, kept ? kNoError : kFolderReplaced);
        QCOMPARE(drive.names("album"), QByteArrayList{kept ? "a_1.mp3" : "a 1.mp3"});
    }

    void newcomerOnTheServerIsNeverReplaced_data() {
        AddVolumeRows({{"rclone mount of a folder", Kind::Rclone}});
    }

    // Another machine puts a file on the server, under the name the batch is about to give, after
    // the folder was listed: the batch stops there and the server's file stays as it was; on a
    // volume that could replace it unseen, nothing is renamed at all.
    void newcomerOnTheServerIsNeverReplaced() {
        MOUNT_OR_SKIP(volume, folder);
        drive.makeFiles({"a_1.mp3", "b_1.mp3"});
        const FolderListing listed = ListedFiles(drive.drives(), kRoot);
        const QList<RenamePlan> plans = PlanBatch(listed.names, listed.entries, listed.rules, {});
        QFile newcomer(QFile::decodeName(volume.serverFolder() + folder + "/b 1.mp3"));
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

    void previewStopsWhereTheBatchStops_data() { AddVolumeRows(); }
    // Two names that differ only in case meet, or not, as the volume holds names: the batch stops
    // exactly on the first file the preview marks with a stop, and for the reason it marks; what
    // it renamed bears the very name planned, not one the volume altered. (The names a volume
    // refuses: nameTheVolumeRefusesIsRefusedFirst.)
    void previewStopsWhereTheBatchStops() {
        MOUNT_OR_SKIP(volume, folder);
        drive.makeFiles({"a.mp3", "song.mp3", "SONGx.mp3"});
        const FolderListing listed = ListedFiles(drive.drives(), kRoot);
        const QList<RenamePlan> plans =
            PlanBatch(listed.names, listed.entries, listed.rules, Rules(u"Check5 Text3=x"_qs));
        const auto stop = std::find_if(plans.begin(), plans.end(), [](const RenamePlan& plan) {
            return plan.mark != PreviewMark::Changes && plan.mark != PreviewMark::Unchanged;
        });
        LastBatch last(drive.drives());
        const BatchResult batch = RunBatchJob(last.batch(kRoot, listed.folder, plans)).result;
        QCOMPARE(batch.renamed, stop - plans.begin());
        const QByteArrayList names = drive.names(); // read once: a listing of a share is slow
        for (const RenamePlan& plan : plans.first(batch.renamed))
            QVERIFY(names.contains(plan.newName.toUtf8()));
        QCOMPARE(batch.code, stop == plans.end() ? kNoError : kFileExists);
    }

    void nameTheVolumeRefusesIsRefusedFirst_data() { AddVolumeRows(); }
    // Any name the volume itself refuses or alters is refused before the rename: the characters
    // and endings Windows' volumes refuse, and names at and one past 255 UTF-16 units, of letters
    // of two bytes and of four.
    void nameTheVolumeRefusesIsRefusedFirst() {
        MOUNT_OR_SKIP(volume, folder);
        drive.makeFiles({"a.mp3"});
        const VolumeRules rules = ListedFiles(drive.drives(), kRoot).rules;
        QStringList names{u"b."_qs, u"b "_qs, u"b\x01"_qs, u"b\x1f.mp3"_qs};
        for (const QChar c : u"\"*:<>?\\|"_qs)
            names << u"b"_qs + c + u".mp3"_qs;
        for (const int units : {255, 256})
            names << QString(units - 4, u'\xe9') + u".mp3"_qs
                  << u"\U0001F600"_qs.repeated(units / 2) + QString(units % 2, u'b');
        for (const QString& name : names) {
            const QByteArray wanted = name.toUtf8();
            const bool renamed =
                ::rename(drive.host("a.mp3").constData(), drive.host(wanted).constData()) == 0;
            const QByteArrayList shown = drive.names();
            const bool takenAsIs = renamed && shown == QByteArrayList{wanted};
            // Back under the name the volume shows, or the one given where it shows none.
            if (renamed)
                QCOMPARE(::rename(drive.host(shown.value(0, wanted)).constData(),
                                  drive.host("a.mp3").constData()),
                         0);
            QVERIFY2(takenAsIs || !rules.refusal(name, wanted).isEmpty(), wanted.constData());
        }
    }

    void killedBatchAndUndoLeaveEveryFileOnce_data() {
        AddVolumeRows({{"local disk", Kind::LocalDisk}, kNfs3});
    }
    void killedBatchAndUndoLeaveEveryFileOnce() {
        MOUNT_OR_SKIP(volume, folder);
        QByteArrayList originals;
        for (int i = 0; i < 12; ++i) {
            originals.append("song " + QByteArray::number(i + 10) + ".mp3"); // a case-only change
            originals.append("a_b_" + QByteArray::number(i + 10) + ".mp3");
        }
        QRandomGenerator random(7);
        for (int round = 0; round < 12; ++round) {
            // Each round in a folder of its own, out of reach of what a network client may still
            // believe of the last round's names.
            const QByteArray place = folder + '-' + QByteArray::number(round);
            TestDrive here(SystemCalls::Real(), volume.folder() + place, state);
            here.makeFiles(originals);
            QCOMPARE(here.names().size(), originals.size());
            const bool undo = round % 2 == 1;
            if (undo)
                KillChildPartWay(here, "undo", 10 + random.bounded(40), 0);
            else
                KillChildPartWay(here, "batch", random.bounded(6), 1 + random.bounded(16));
            // The start-up comes once the server has done what the killed process asked of it.
            if (volume.serverFolder() != volume.folder())
                AwaitSettled(volume.serverFolder() + place);
            // The next start: half-done renames repaired, the log cut to its whole records.
            QCOMPARE(LastBatch(here.drives()).start(), QString());
            VerifyEveryFileOnce(here, originals, !undo, kind == Kind::NtfsIgnoringCase);
            if (QTest::currentTestFailed())
                return;
        }
    }

    // A stick that scripts/cut-soak.sh pulled out or cut the power of, in a batch or an Undo or
    // right after a batch, copied out with its state folder after the next start in a guest: the
    // start-up finished what the cut left half-done and had nothing to say; every file is there
    // once with its bytes, none emptied or hidden, all of them renamed after a cut at the end.
    // A cut in an action that came before it or after it (no file under a new name, or all) is
    // said to have missed the action, for the soak to make again.
    void cutStickKeepsEveryFile() {
        const QString copy = qEnvironmentVariable("CORVANE_CUT_STICK");
        const QString cut = qEnvironmentVariable("CORVANE_CUT"); // "batch power", "end pull"...
        if (copy.isEmpty())
            QSKIP("scripts/cut-soak.sh names the stick it cut; ctest's cuts_test runs it");
        QByteArrayList originals;
        for (int i = 10; i < 70; ++i)
            originals << "song " + QByteArray::number(i) + ".mp3"
                      << "a_b_" + QByteArray::number(i) + ".mp3";
        QFile said(copy + u"/start-up"_qs);
        QVERIFY(said.open(QIODevice::ReadOnly));
        QCOMPARE(said.readAll().trimmed(), QByteArray("start-up:"));
        TestDrive drive(SystemCalls::Real(), QFile::encodeName(copy + u"/music"_qs));
        QVERIFY(QFile::copy(copy + u"/state/razveljavi.txt"_qs,
                            QFile::decodeName(drive.stateFolder() + "/razveljavi.txt")));
        const QByteArrayList names = drive.names();
        const qsizetype renamed = std::count_if(names.begin(), names.end(), [&](const auto& name) {
            return !originals.contains(name);
        });
        qInfo("%s: %lld of %lld files under a new name", qPrintable(copy), qlonglong(renamed),
              qlonglong(names.size()));
        // A power cut may take the last second of the log with it, never a file.
        VerifyEveryFileOnce(drive, originals, !cut.startsWith(u"undo"), false,
                            cut.endsWith(u"power") ? originals.size() : 1);
        if (cut.startsWith(u"end"))
            QCOMPARE(renamed, originals.size());
        else if (renamed == 0 || renamed == originals.size())
            QSKIP("the cut missed the action");
    }

private:
    FuseVolume& sharedVolume(Kind kind) {
        std::unique_ptr<FuseVolume>& volume = m_volumes[kind];
        if (!volume)
            volume = std::make_unique<FuseVolume>(kind);
        return *volume;
    }

    std::map<Kind, std::unique_ptr<FuseVolume>> m_volumes;
    int m_rows = 0;
};

QTEST_GUILESS_MAIN(VolumesTest)
#include "volumes_test.moc"
