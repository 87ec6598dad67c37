// SPDX-License-Identifier: GPL-3.0-or-later
#include "Session.h"
#include "TestDrive.h"

#include <QCryptographicHash>
#include <QTest>

using namespace corvane;

namespace {

constexpr int kFiles = 32767;

// Awkward names: runs of spaces, commas, dots, dashes, underscores, Latin-1 bytes, and every
// name twice over, the second differing from the first only in letter case.
QByteArrayList AwkwardNames() {
    const QByteArrayList shapes{"%1_-_artist,name - title.mp3", " %1  spaced   out .mp3",
                                "%1.dots.in.the.name.mp3",      "%1--dashes--and-more-.mp3",
                                "caf\xe9 %1 na\xefve_song.mp3", "%1 @ remove # me ~.mp3"};
    QByteArrayList names;
    for (int i = 0; i < kFiles; ++i) {
        const QByteArray shape = shapes.at(i / 2 % shapes.size());
        const QByteArray name = QString::fromLatin1(shape).arg(i / 2).toLatin1();
        names.append(i % 2 == 0 ? name : name.toUpper());
    }
    return names;
}

// Name and content hash of every file.
QMap<QByteArray, QByteArray> Fingerprint(const TestDrive& drive) {
    QMap<QByteArray, QByteArray> fingerprint;
    for (const QByteArray& name : drive.names())
        fingerprint.insert(
            name, QCryptographicHash::hash(drive.contents(name), QCryptographicHash::Sha256));
    return fingerprint;
}

} // namespace

class StressTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fullFolderIsRenamedAndRestoredExactly();
};

void StressTest::fullFolderIsRenamedAndRestoredExactly() {
    TestDrive drive;
    drive.makeFiles(AwkwardNames());
    const QMap<QByteArray, QByteArray> before = Fingerprint(drive);
    QCOMPARE(before.size(), kFiles);

    RenameOptions options;
    options.Check4 = Checked;
    Session session(drive.drives());
    const BatchResult batch = session.batch(options, u"c:\\"_qs, {}, u"*.mp3"_qs);
    QCOMPARE(batch.code, kNoError);
    QCOMPARE(batch.renamed, kFiles);
    QVERIFY(Fingerprint(drive) != before);

    const UndoResult undo = session.undo();
    QCOMPARE(undo.code, kNoError);
    QCOMPARE(undo.restored, kFiles);
    QCOMPARE(Fingerprint(drive), before);
}

QTEST_GUILESS_MAIN(StressTest)
#include "stress_test.moc"
