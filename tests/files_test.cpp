// SPDX-License-Identifier: GPL-3.0-or-later
#include "FaultySystemCalls.h"
#include "RuleOptions.h"
#include "Session.h"
#include "TestDrive.h"
#include "files/ClipboardText.h"
#include "files/FileErrorReport.h"
#include "files/HandRename.h"
#include "files/UndoLog.h"
#include "platform/FileOperations.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace corvane;

Q_DECLARE_METATYPE(QList<corvane::PreviewMark>)
Q_DECLARE_METATYPE(QList<FaultySystemCalls::Fault>)

namespace {

const QString kRoot = QStringLiteral("c:\\");
const QByteArrayList kMusic{"a_1.mp3", "a_2.mp3", "a_3.mp3"};

// Files and log agree: every record names a rename that happened and no other happened; and
// Undo restores the folder from the log.
void VerifyLogAndUndo(const TestDrive& drive, Session& session, const QByteArrayList& files,
                      qsizetype renamed) {
    const QList<UndoRecord> records = ParseUndoLog(drive.log()).records;
    QCOMPARE(records.size(), renamed);
    QByteArrayList given;
    for (const UndoRecord& record : records)
        given.append(record.newName.toUtf8());
    const QByteArrayList names = drive.names();
    for (const UndoRecord& record : records)
        QVERIFY(
            names.contains(record.newName.toUtf8()) &&
            (given.contains(record.oldName.toUtf8()) || !names.contains(record.oldName.toUtf8())));
    QCOMPARE(session.undo().code, kNoError);
    QCOMPARE(drive.names(), files);
    QVERIFY(drive.contentsIntact(files));
}

// Whether this process holds a descriptor on anything in `folder`: a stick it is on could not be
// ejected.
bool HoldsAnythingIn(const QByteArray& folder) {
    const QDir descriptors(u"/proc/self/fd"_qs);
    for (const QString& fd :
         descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (QFile::encodeName(QFile::symLinkTarget(descriptors.filePath(fd))).startsWith(folder))
            return true;
    }
    return false;
}

// A log left by an earlier batch, which the next one's replaces.
void WriteLastLog(const TestDrive& drive) {
    QFile earlier(QFile::decodeName(drive.stateFolder() + "/razveljavi.txt"));
    QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("\"x\",\"y\"\r\n") > 0);
}

// Changes what a batch or its Undo stands on, as a row names it: its folder ("music"), a file in
// it ("NAME/" makes it a folder), the log's folder or the log.
void MakeChange(const TestDrive& drive, const QByteArray& change) {
    const QByteArray log = drive.stateFolder() + "/razveljavi.txt";
    if (change == "swap") {
        ::rename(drive.host("music").constData(), drive.host("moved").constData());
        ::symlink(drive.host("other").constData(), drive.host("music").constData());
    } else if (change.endsWith('/')) {
        ::unlink(drive.host("music/" + change.chopped(1)).constData());
        ::mkdir(drive.host("music/" + change.chopped(1)).constData(), 0755);
    } else if (change == "no state") {
        ::rmdir(drive.stateFolder().constData());
    } else if (change == "two in the way") {
        ::unlink(drive.host("music/a 3.mp3").constData());
        drive.makeFiles({"a_1.mp3"}, "music");
    } else if (change == "log large") {
        QFile(QFile::decodeName(log)).resize(kLargestUndoLog + 1); // sparse
    } else {
        ::unlink(log.constData());
        if (change == "log link")
            ::symlink(drive.host("precious.txt").constData(), log.constData());
        else if (change == "log fifo")
            ::mkfifo(log.constData(), 0644);
        else if (change == "log folder")
            ::mkdir(log.constData(), 0755);
        else
            WriteLastLog(drive);
    }
}

} // namespace

class FilesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void batchRenamesAndLogsEveryFile_data() {
        QTest::addColumn<QByteArrayList>("files");
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<QByteArrayList>("after");
        QTest::addColumn<QByteArray>("log");
        QTest::newRow("names that change and one that stays")
            << QByteArrayList{"01_-_the_artist_-_a,b.mp3", "Same.mp3", "song.mp3"} << QByteArray()
            << QByteArrayList{"Same.mp3", "Song.mp3", "The Artist - A - B.mp3"}
            << QByteArray("\"The Artist - A - B.mp3\",\"01_-_the_artist_-_a,b.mp3\"\r\n"
                          "\"Same.mp3\",\"Same.mp3\"\r\n\"Song.mp3\",\"song.mp3\"\r\n");
        // Names are bytes: one not in UTF-8 is renamed, logged and undone byte for byte.
        QTest::newRow("bytes of any name")
            << QByteArrayList{"bj\xf6rk_-_j\xf3ga.mp3", "sigur_r\xc3\xb3s.mp3"}
            << QByteArray("Music")
            << QByteArrayList{"Bj\xf6rk - J\xf3ga.mp3", "Sigur R\xc3\xb3s.mp3"}
            << QByteArray("\"Bj\xf6rk - J\xf3ga.mp3\",\"bj\xf6rk_-_j\xf3ga.mp3\"\r\n"
                          "\"Sigur R\xc3\xb3s.mp3\",\"sigur_r\xc3\xb3s.mp3\"\r\n");
        QTest::newRow("an empty folder")
            << QByteArrayList{} << QByteArray() << QByteArrayList{} << QByteArray();
    }

    // Once a batch or its Undo has ended, nothing of the program's holds the folder's volume.
    void batchRenamesAndLogsEveryFile() {
        QFETCH(QByteArrayList, files);
        QFETCH(QByteArray, folder);
        QFETCH(QByteArrayList, after);
        QFETCH(QByteArray, log);
        TestDrive drive;
        // The last batch's log gives way to this one's, even to an empty one.
        WriteLastLog(drive);
        drive.makeFiles(files, folder);
        const RenameOptions options = Rules(u"Check3 Option1"_qs);
        const QString where = kRoot + QString::fromUtf8(folder);

        Session session(drive.drives());
        QCOMPARE(session.batch(options, where).renamed, files.size());
        QCOMPARE(drive.names(folder), after);
        QCOMPARE(drive.log(), log);
        QVERIFY(!HoldsAnythingIn(drive.host()));
        QCOMPARE(session.undo().restored, files.size());
        QVERIFY(!HoldsAnythingIn(drive.host()));
        QCOMPARE(drive.names(folder), files);
        QVERIFY(drive.contentsIntact(files, folder));
    }

    void batchStopsWhereThePlanMarksAStop_data() {
        using enum PreviewMark;
        QTest::addColumn<QByteArrayList>("files"); // a folder ends in "/"
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QList<PreviewMark>>("marks");
        QTest::addColumn<FileErrorCode>("code");
        const auto row = [](const char* label, const QByteArrayList& files, const char* rules,
                            const QList<PreviewMark>& marks, FileErrorCode code) {
            QTest::newRow(label) << files << QString::fromUtf8(rules) << marks << code;
        };
        row("all change", {"a_1.mp3", "a_2.mp3"}, "", {Changes, Changes}, kNoError);
        row("two mapped to one", {"a b.mp3", "a_b.mp3", "c_d.mp3"}, "Check3",
            {Unchanged, Collides, Changes}, kFileExists);
        row("taken by an entry not listed", {"a_b.mp3", "a b.mp3/"}, "", {Taken}, kFileExists);
        row("a name given up first is free", {"ab.mp3", "abb.mp3"}, "Check5 Text3=ab Text4=a",
            {Changes, Changes}, kNoError);
        row("a quote in the present name", {"a_1.mp3", "a_9\"x\".mp3", "b_3.mp3"}, "",
            {Changes, Refused, Changes}, kBadFileName);
        row("a name that would hide the file", {"01.mp3", "02_x.mp3"}, "Check3", {Refused, Changes},
            kBadFileName);
        row("a name the rules empty", {"05_x.mp3", "12"}, "Check3", {Changes, Refused},
            kBadFileName);
        row("a name that grows to the limit", {"x" + QByteArray(249, 'a') + ".mp3"},
            "Check5 Text3=x Text4=yy", {Changes}, kNoError);
        row("a name that grows past the limit", {"1_b.mp3", QByteArray(200, 'a')},
            qPrintable(u"Check5 Text3=a Text4="_qs + QString(200, u'b')), {Changes, Refused},
            kNameTooLong);
    }

    // The marks play the batch on the names alone; the batch then carries out the very plans
    // they show, stops on the first they mark as a stop, and leaves a log that Undo restores.
    void batchStopsWhereThePlanMarksAStop() {
        QFETCH(QByteArrayList, files);
        QFETCH(QString, rules);
        QFETCH(QList<PreviewMark>, marks);
        QFETCH(FileErrorCode, code);
        TestDrive drive;
        QByteArrayList plain;
        for (const QByteArray& file : files) {
            if (file.endsWith('/'))
                drive.makeFiles({"inside"}, file.chopped(1));
            else
                plain.append(file);
        }
        drive.makeFiles(plain);
        const FolderListing listed = ListedFiles(drive.drives(), kRoot);
        const QList<RenamePlan> plans =
            PlanBatch(listed.names, listed.entries, listed.rules, Rules(rules));
        QList<PreviewMark> shown;
        for (const RenamePlan& plan : plans)
            shown.append(plan.mark);
        QCOMPARE(shown, marks);

        Session session(drive.drives());
        const BatchResult batch = session.batch(listed, listed.names, Rules(rules), kRoot);
        QCOMPARE(batch.code, code);
        const auto stop = std::find_if(marks.begin(), marks.end(), [](PreviewMark mark) {
            return mark != PreviewMark::Changes && mark != PreviewMark::Unchanged;
        });
        QCOMPARE(batch.renamed, stop - marks.begin());
        if (plain.size() == files.size())
            VerifyLogAndUndo(drive, session, plain, batch.renamed);
    }

    void logThatFailsIsReported_data() {
        using F = FaultySystemCalls;
        QTest::addColumn<QList<F::Fault>>("faults");
        QTest::addColumn<int>("renamed");
        QTest::addColumn<QString>("report");
        // The folder is synced first, then the log.
        QTest::newRow("the folder's sync, disk full")
            << QList<F::Fault>{{F::Sync, 1, ENOSPC}} << 3 << u"Disk is full!"_qs;
        QTest::newRow("the log's sync, I/O")
            << QList<F::Fault>{{F::Sync, 2, EIO}} << 3 << u"Device I/O error!"_qs;
        QTest::newRow("close, I/O")
            << QList<F::Fault>{{F::Close, -1, EIO}} << 3 << u"Device I/O error!"_qs;
        QTest::newRow("another window's batch holds the log")
            << QList<F::Fault>{{F::Lock, 1, EWOULDBLOCK}} << 0
            << u"The undo log is in use by a batch in another window: nothing was renamed!"_qs;
        QTest::newRow("a volume that keeps no locks")
            << QList<F::Fault>{{F::Lock, -1, ENOLCK}} << 3 << QString();
        // The disk fills while the log grows: no room for a step, so each record is written on
        // its own, and the second finds none. Its rename is taken back, or the file is named.
        const QList<F::Fault> full{{F::Allocate, -1, ENOSPC}, {F::Write, 2, ENOSPC}};
        QTest::newRow("a record finds no room") << full << 1 << u"Disk is full!"_qs;
        // Three bytes a write: the second record fails part-way and is cut off.
        QTest::newRow("short writes, the second record cut part-way")
            << QList<F::Fault>{{F::Allocate, -1, ENOSPC}, {F::Write, 10, ENOSPC}} << 1
            << u"Disk is full!"_qs;
        // As on a volume with no way to zero a file's blocks: the last log is emptied instead.
        QTest::newRow("the last log cannot be zeroed")
            << QList<F::Fault>{{F::Zero, -1, EOPNOTSUPP}} << 3 << QString();
        QTest::newRow("the take-back fails too")
            << full + QList<F::Fault>{{F::RenameNoReplace, 3, ENODEV}} << 1
            << u"Disk is full!\n\n\"a_2.mp3\" is left as \"a 2.mp3\"."_qs;
    }

    // A log that may not be on the disk, or that lacks a rename, is no success; the log holds
    // exactly the renames that stayed done.
    void logThatFailsIsReported() {
        QFETCH(QList<FaultySystemCalls::Fault>, faults);
        QFETCH(int, renamed);
        QFETCH(QString, report);
        FaultySystemCalls system(faults);
        if (QByteArray(QTest::currentDataTag()).startsWith("short"))
            system.writeLimit = 3;
        TestDrive drive(system);
        drive.makeFiles(kMusic);
        WriteLastLog(drive);
        Session session(drive.drives());
        const BatchResult result = session.batch();
        QCOMPARE(ReportFor(result.code, result.stranded).message, report);
        QCOMPARE(result.renamed, renamed);
        if (report.contains(u"left as"))
            QCOMPARE(drive.log(), QByteArray("\"a 1.mp3\",\"a_1.mp3\"\r\n"));
        else if (renamed == 0) // the other window's log, as it wrote it
            QCOMPARE(drive.log(), QByteArray("\"x\",\"y\"\r\n"));
        else
            VerifyLogAndUndo(drive, session, kMusic, renamed);
    }

    // A log past its first mapped window reads whole: 1,500 records of 200 bytes.
    void logPastItsFirstWindowIsWhole() {
        TestDrive drive;
        QByteArrayList files;
        for (int i = 1000; i < 2500; ++i)
            files.append(QByteArray(90, 'x') + '_' + QByteArray::number(i) + ".mp3");
        drive.makeFiles(files);
        Session session(drive.drives());
        QCOMPARE(session.batch().renamed, files.size());
        VerifyLogAndUndo(drive, session, files, files.size());
    }

    void changeUnderTheBatchIsRefused_data() {
        QTest::addColumn<int>("when"); // -1 before the batch, n after its n-th rename, 0 after it
        QTest::addColumn<QByteArray>("change");
        QTest::addColumn<FileErrorCode>("batchCode");
        QTest::addColumn<FileErrorCode>("undoCode");
        QTest::addColumn<QByteArrayList>("left"); // the batch's own folder's names at the end
        const QByteArrayList renamed{"a 1.mp3", "a 2.mp3", "a 3.mp3"};
        const auto row = [&](const char* label, int when, const char* change, FileErrorCode batch,
                             FileErrorCode undo, const QByteArrayList& left = {}) {
            QTest::newRow(label) << when << QByteArray(change) << batch << undo
                                 << (!left.isEmpty()    ? left
                                     : undo == kNoError ? kMusic
                                                        : renamed);
        };
        row("the log's folder gone before the batch", -1, "no state", kPathNotFound, kNoError);
        row("folder swapped before the batch", -1, "swap", kFolderReplaced, kNoError);
        row("folder swapped during the batch", 2, "swap", kNoError, kFolderReplaced);
        row("folder swapped before Undo", 0, "swap", kNoError, kFolderReplaced);
        // The batch looks at each file ahead of its rename, Undo reads the folder once.
        row("a file made a folder before the batch", -1, "a_2.mp3/", kFileNotFound, kNoError);
        row("a file made a folder before Undo", 0, "a 2.mp3/", kNoError, kFileNotFound,
            {"a 2.mp3", "a_1.mp3", "a_3.mp3"});
        row("log a link to a file", 0, "log link", kNoError, kLogNotAFile);
        row("log a FIFO", 0, "log fifo", kNoError, kLogNotAFile);
        row("log a folder", 0, "log folder", kNoError, kLogNotAFile);
        row("log too large", 0, "log large", kNoError, kLogTooLarge);
        // Undo goes on past a failure and reports the first it met, last record first.
        row("two files in Undo's way", 0, "two in the way", kNoError, kFileNotFound,
            {"a 1.mp3", "a_1.mp3", "a_2.mp3"});
        row("log replaced by another window's batch", 0, "log other", kNoError, kLogReplaced);
    }

    // What changes under a batch or before its Undo (its folder, its log) is met by a refusal:
    // no rename ever happens in another folder, a log that is no plain file is neither followed,
    // nor blocked on, nor emptied, and the batch's own folder is renamed or refused whole.
    void changeUnderTheBatchIsRefused() {
        QFETCH(int, when);
        QFETCH(QByteArray, change);
        QFETCH(FileErrorCode, batchCode);
        QFETCH(FileErrorCode, undoCode);
        QFETCH(QByteArrayList, left);
        FaultySystemCalls system;
        TestDrive drive(system);
        drive.makeFiles(kMusic, "music");
        drive.makeFiles({"b_1.mp3", "b_2.mp3"}, "other");
        drive.makeFiles({"precious.txt"});
        const QString folder = u"c:\\music"_qs;
        const FolderListing listed = ListedFiles(drive.drives(), folder);
        if (when == -1)
            MakeChange(drive, change);
        else if (when > 0)
            system.afterRename(when, [&] { MakeChange(drive, change); });
        Session session(drive.drives());
        QCOMPARE(session.batch(listed, listed.names, {}, folder).code, batchCode);
        if (when == 0)
            MakeChange(drive, change);
        QCOMPARE(session.undo().code, undoCode);
        if (undoCode == kLogNotAFile)
            QCOMPARE(session.batch({}, u"c:\\other"_qs).code, kLogNotAFile);
        const bool swapped = QByteArray(QTest::currentDataTag()).contains("swapped");
        QCOMPARE(drive.names(swapped ? "moved" : "music"), left);
        QCOMPARE(drive.names("other"), QByteArrayList({"b_1.mp3", "b_2.mp3"}));
        QCOMPARE(drive.contents("precious.txt"), QByteArray("precious.txt"));
    }

    // Asked to stop before the third file, the batch leaves a log of exactly two renames; Undo
    // asked to stop after one record can be run again to put back the rest.
    void cancelledBatchAndUndoCanBeFinished() {
        TestDrive drive;
        const QByteArrayList files{"a_1.mp3", "a_2.mp3", "a_3.mp3", "a_4.mp3"};
        drive.makeFiles(files);
        Session session(drive.drives());
        const auto stopAt = [](qsizetype stop) {
            return [stop](qsizetype done, qsizetype total, const QString&) {
                return total == 4 && done < stop;
            };
        };
        const BatchResult batch = session.batch({}, kRoot, stopAt(2));
        QVERIFY(batch.cancelled);
        QCOMPARE(batch.code, kNoError);
        QCOMPARE(drive.names(), QByteArrayList({"a 1.mp3", "a 2.mp3", "a_3.mp3", "a_4.mp3"}));
        QCOMPARE(ParseUndoLog(drive.log()).records.size(), 2);
        QVERIFY(session.last().canUndo());

        const UndoResult first = session.undo(
            [](qsizetype done, qsizetype total, const QString&) { return total == 2 && done < 1; });
        QVERIFY(first.cancelled);
        QCOMPARE(first.restored, 1);
        QVERIFY(session.last().canUndo());
        const UndoResult rest = session.undo();
        QCOMPARE(rest.code, kNoError);
        QCOMPARE(rest.restored, 2);
        QVERIFY(!session.last().canUndo());
        QCOMPARE(drive.names(), files);

        // A batch cancelled before its first file has nothing to undo.
        QVERIFY(session.batch({}, kRoot, stopAt(0)).cancelled);
        QVERIFY(!session.last().canUndo());
    }

    // The name typed is used as typed; Cancel, the same name and blanks rename nothing.
    void handRename() {
        const QByteArrayList untouched{"a.mp3", "b.mp3"};
        const QList<std::tuple<QString, QByteArrayList, FileErrorCode>> answers{
            {u"new name.mp3"_qs, {"b.mp3", "new name.mp3"}, kNoError},
            {QString(), untouched, kNoError}, // Cancel
            {u"a.mp3"_qs, untouched, kNoError},
            {u"A.mp3"_qs, {"A.mp3", "b.mp3"}, kNoError},
            {u"b.mp3"_qs, untouched, kFileExists},
            {u"   "_qs, untouched, kBadFileName},
            {u"x/y.mp3"_qs, untouched, kBadFileName}};
        for (const auto& [answer, after, code] : answers) {
            TestDrive drive;
            drive.makeFiles(untouched);
            const FileErrorCode renamed =
                RenameByHand(drive.drives(), kRoot, u"a.mp3", answer).code;
            QVERIFY2(renamed == code, qPrintable(answer));
            QCOMPARE(drive.names(), after);
            QCOMPARE(drive.log(), QByteArray());
        }
    }

    // The start-up cuts what a killed batch left past its last whole record, and nothing else.
    void startUpCutsWhatAKilledBatchLeft() {
        const QByteArray records = "\"a 1.mp3\",\"a_1.mp3\"\r\n\"a 2.mp3\",\"a_2.mp3\"\r\n";
        const QByteArray zeros(5000, '\0');
        const QByteArray unended = records + "\"a 3.mp3\",\"a_3.mp3\"";
        const QList<std::pair<QByteArray, QByteArray>> logs{
            {records + zeros, records},                  // grown, not cut
            {records + "\"a 3.mp3\",\"a_", records},     // cut short
            {records + "\"a 3.mp3\"," + zeros, records}, // cut short where it grew
            {unended + zeros, unended},                  // no last line end
            {records, records},                          // finished
            {"a,b\r\n" + zeros, "a,b\r\n" + zeros}};     // something else
        for (const auto& [left, kept] : logs) {
            TestDrive drive;
            QFile log(QFile::decodeName(drive.stateFolder() + "/razveljavi.txt"));
            QVERIFY(log.open(QIODevice::WriteOnly) && log.write(left) == left.size());
            log.close();
            QCOMPARE(LastBatch(drive.drives()).start(), QString());
            QCOMPARE(drive.log(), kept);
        }
    }

    void clipboardHoldsTheNamesCutAtTheirFirstDot() {
        QCOMPARE(ClipboardText({u"01. Intro.mp3"_qs, u"README"_qs, u"a.b.c"_qs}),
                 u"01\r\nREADME\r\na\r\n"_qs);
    }

    // "c:\\windows" is the state folder: it lists none of the program's files, and neither a batch
    // nor a hand rename there touches the log or the journal; the last batch stays undoable.
    void programsOwnFilesAreNoMusic() {
        TestDrive drive;
        drive.makeFiles({"a_1.mp3"});
        Session session(drive.drives());
        QCOMPARE(session.batch().code, kNoError);
        drive.writeJournal({{"/media/gone", "a.mp3", "b.mp3", {}}});
        const QByteArray log = drive.log();
        const QByteArray journal = drive.journal();
        const QString windows = u"c:\\windows"_qs;
        const FolderListing listed = ListedFiles(drive.drives(), windows);
        QCOMPARE(listed.names, QStringList());
        const QStringList own{u"razveljavi.txt"_qs, u"pending-renames"_qs};
        QCOMPARE(session.batch(listed, own, Rules(u"Option1"_qs), windows).code, kOwnFiles);
        QCOMPARE(RenameByHand(drive.drives(), windows, u"razveljavi.txt", u"Razveljavi.txt").code,
                 kOwnFiles);
        QCOMPARE(drive.log(), log);
        QCOMPARE(drive.journal(), journal);
        QVERIFY(session.last().canUndo());
    }
};

QTEST_GUILESS_MAIN(FilesTest)
#include "files_test.moc"
