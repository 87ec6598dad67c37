// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestDrive.h"
#include "files/FolderContents.h"
#include "names/FilePattern.h"
#include "names/NaturalOrder.h"
#include "platform/FileOperations.h"
#include "platform/NameCodec.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryFile>
#include <QTest>
#include <unistd.h>

using namespace corvane;

class PlatformTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Any bytes decode to text that encodes back to them; text without bytes cannot be encoded.
    void namesSurviveDecodeAndEncode() {
        const QList<std::pair<QByteArray, QString>> names{
            {"Bj\xc3\xb6rk.mp3", u"Björk.mp3"_qs},
            {"\xf0\x9f\x98\x80", u"\U0001F600"_qs},
            {"\xef\xbb\xbf.mp3", u"\ufeff.mp3"_qs},               // a byte-order mark first
            {"\xff\xef\xbb\xbfx", u"\xdcff\ufeffx"_qs},           // and after an escape
            {"Bj\xf6rk.mp3", u"Bj\xdcf6rk.mp3"_qs},               // latin-1
            {"\xed\xb2\x80", u"\xdced\xdcb2\xdc80"_qs},           // an encoded surrogate
            {"\xf4\x90\x80\x80", u"\xdcf4\xdc90\xdc80\xdc80"_qs}, // past U+10FFFF
            {"a\xe2\x82", u"a\xdce2\xdc82"_qs}};                  // cut short
        for (const auto& [bytes, decoded] : names) {
            QCOMPARE(DecodeName(bytes), decoded);
            QCOMPARE(EncodeName(decoded), std::optional(bytes));
        }
        QVERIFY(!EncodeName(u"a\xd83d"_qs));          // a lone high surrogate
        QVERIFY(!EncodeName(QString(QChar(0xDC20)))); // an escape below the bytes' range
    }

    void pattern() {
        const QList<std::tuple<QString, QString, bool>> cases{
            {u"*.mp3"_qs, u"song.mp3"_qs, true},
            {u"*.mp3"_qs, u"SONG.MP3"_qs, true}, // letter case ignored
            {u"*.mp3"_qs, u"song.mp3.part"_qs, false},
            {u"*.mp3;*.ogg"_qs, u"song.ogg"_qs, true},
            {u"0?.mp3"_qs, u"07.mp3"_qs, true},
            {u"*.*"_qs, u"README"_qs, true},
            {QString(), u"song.mp3"_qs, true},
            {u"c:\\music\\*.mp3"_qs, u"song.mp3"_qs, false}, // a folder part matches nothing
            {u"c:*.mp3"_qs, u"c:x.mp3"_qs, false},
            {u"*.mp3"_qs, u"c:x.mp3"_qs, true},
            {u" *.ogg ; *.mp3"_qs, u"a.mp3"_qs, true},
            {u"*a*a*a*a*b"_qs, QString(60, u'a'), false}};
        for (const auto& [pattern, name, matches] : cases)
            QVERIFY2(FilePattern(pattern).matches(name) == matches,
                     qPrintable(pattern + u' ' + name));
    }

    // The order is strict both ways round, so sorting never depends on the order files come in.
    void naturalOrder() {
        const QList<std::pair<QString, QString>> ordered{
            {u"2 a.mp3"_qs, u"10 a.mp3"_qs},
            {u"09.mp3"_qs, u"10.mp3"_qs},
            {u"Track 15.mp3"_qs, u"Track 1000.mp3"_qs},
            {u"01.mp3"_qs, u"1.mp3"_qs}, // equal values: fewer zeros last
            {u"00.mp3"_qs, u"1.mp3"_qs},
            {u"99999999999999999999"_qs, u"100000000000000000000"_qs},
            {u"a.mp3"_qs, u"B.mp3"_qs},
            {u"A.mp3"_qs, u"a.mp3"_qs},
            {u"track"_qs, u"track 1"_qs},
            {u"1.mp3"_qs, u"a.mp3"_qs}};
        for (const auto& [first, second] : ordered) {
            QVERIFY2(NaturalLess(first, second) && !NaturalLess(second, first) &&
                         !NaturalLess(first, first),
                     qPrintable(first + u" < "_qs + second));
        }
    }

    void drivePaths() {
        const QByteArray base = "/base";
        const DriveTable drives({{u'c', base + "/home", u"home"_qs},
                                 {u'd', base + "/stick", u"/media/stick"_qs},
                                 {u'e', QByteArray(), u"/dev/sr0"_qs}},
                                base + "/state");
        // The host path after `base`; none for a drive without a medium, no drive, or a climb out.
        const QList<std::pair<QString, QByteArray>> paths{
            {u"c:\\Music\\Album"_qs, "/home/Music/Album"},
            {u"C:\\WINDOWS\\razveljavi.txt"_qs, "/state/razveljavi.txt"},
            {u"c:\\a\\windows"_qs, "/home/a/windows"},
            {u"d:\\windows"_qs, "/stick/windows"}, // its own, not the state
            {u"e:\\x"_qs, {}},
            {u"Music"_qs, {}},
            {u"d:\\..\\x"_qs, {}}};
        for (const auto& [path, host] : paths)
            QCOMPARE(drives.hostPath(path),
                     host.isEmpty() ? std::nullopt : std::optional(base + host));
    }

    // Removable volumes take the first free letters and keep them; network and FUSE mounts come
    // after them, by their type wherever they are mounted, each named for its share or folder and
    // its machine; the desktop's own mounts and the folders that are drives already stay out.
    void mountsComeAndGoLettersStay() {
        QTemporaryDir gvfs;
        QVERIFY(QDir(gvfs.path()).mkdir(u"smb-share:server=127.0.0.1,share=music"_qs));
        const QByteArray gvfsMount =
            "gvfsd-fuse " + QFile::encodeName(gvfs.path()) + " fuse.gvfsd-fuse rw 0 0\n";
        QTemporaryFile mounts;
        QVERIFY(mounts.open());
        const auto mounted = [&](const QByteArray& lines) {
            QVERIFY(mounts.resize(0) && mounts.write(lines) == lines.size() && mounts.flush());
        };
        const QByteArray system = "proc /proc proc rw 0 0\n"
                                  "portal /run/user/1000/doc fuse.portal rw 0 0\n"
                                  "tmpfs /run/user/1000 tmpfs rw 0 0\n"
                                  "squashfuse /snap/core/1 fuse.snapfuse ro 0 0\n"
                                  "nas:/home /home nfs4 rw 0 0\n" +
                                  gvfsMount;
        const QByteArray network = "u@127.0.0.1:/srv/music /home/u/nas fuse.sshfs rw 0 0\n"
                                   "cloud:albums /home/u/cloud fuse.rclone rw 0 0\n"
                                   "//127.0.0.1/share /mnt2/share cifs rw 0 0\n";
        const QByteArray stick = "/dev/sdb1 /media/u/STICK vfat rw 0 0\n";
        const QByteArray player = "/dev/sdc1 /media/u/A\\040PLAYER vfat rw 0 0\n";
        mounted(system + stick + network);
        DriveTable table({{u'c', "/home/u", u"home"_qs}, {u'z', "/", u"/"_qs}}, "/home/u/state");
        table.followMounts({QFile::encodeName(mounts.fileName()), {"/media/"}, {"/dev/sr0"}});
        const auto letters = [&] {
            QStringList shown;
            for (const Drive& drive : table.drives())
                shown.append(drive.letter + u' ' + drive.place);
            return shown.join(u", ");
        };
        // In mount-point order: the ones in the home folder, elsewhere, then gvfs's shares.
        QCOMPARE(letters(),
                 u"c home, d /media/u/STICK, e /dev/sr0, f albums on cloud, "
                 "g music on 127.0.0.1, h share on 127.0.0.1, i music on 127.0.0.1, z /"_qs);
        QVERIFY(!table.readMounts());
        QCOMPARE(table.hostPath(u"i:\\a.mp3"),
                 QFile::encodeName(gvfs.path()) + "/smb-share:server=127.0.0.1,share=music/a.mp3");

        // The sshfs mount goes: a player plugged in takes its letter, and the stick keeps its own
        // though the player sorts before it.
        mounted(system + stick + player + network.sliced(network.indexOf('\n') + 1) +
                "nas:/music /home/u/more fuse.sshfs rw 0 0\n");
        QVERIFY(table.readMounts());
        QCOMPARE(letters(), u"c home, d /media/u/STICK, e /dev/sr0, f albums on cloud, "
                            "g /media/u/A PLAYER, h share on 127.0.0.1, i music on 127.0.0.1, "
                            "j music on nas, z /"_qs);
    }

    void renameFailuresSayWhy_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("made"); // run as root in the drive before "a.mp3" is renamed
        QTest::addColumn<FileErrorCode>("code");
        QTest::addColumn<QString>("oldName");
        const auto row = [](const char* label, const char* folder, const char* made,
                            FileErrorCode code, const char* oldName = "a.mp3") {
            QTest::newRow(label) << QString::fromUtf8(folder) << QString::fromUtf8(made) << code
                                 << QString::fromUtf8(oldName);
        };
        row("the folder gone", "c:\\gone", "", kPathNotFound);
        row("a file where the folder was", "c:\\a.mp3", "", kPathNotFound);
        row("a read-only volume", "c:\\", "mount --bind . . && mount -o remount,bind,ro .",
            kAccessDenied);
        row("the file a mount point", "c:\\", "touch x && mount --bind x a.mp3", kAccessDenied);
        row("the file immutable", "c:\\", "chattr +i a.mp3", kAccessDenied);
        // A name from an edited log never reaches out of the folder.
        row("an old name that climbs out", "c:\\sub", "mkdir sub", kBadFileName, "../a.mp3");
    }

    // What the system answers a rename is told as the code, and so the message, of its cause.
    void renameFailuresSayWhy() {
        QFETCH(QString, folder);
        QFETCH(QString, made);
        QFETCH(FileErrorCode, code);
        QFETCH(QString, oldName);
        TestDrive drive;
        drive.makeFiles({"a.mp3"});
        const auto shell = [&](const QString& command) {
            return QProcess::execute(u"sh"_qs,
                                     {u"-c"_qs, command, QFile::decodeName(drive.host())});
        };
        if (!made.isEmpty() && ::geteuid() != 0)
            QSKIP("made as root");
        if (!made.isEmpty() && shell(u"cd \"$0\" && "_qs + made) != 0)
            QSKIP(qPrintable(made + u": not on this machine's volume"_qs));
        const FileErrorCode renamed =
            FolderOnHost(drive.drives(), folder).rename(oldName, u"b.mp3"_qs).code;
        if (!made.isEmpty())
            shell(u"{ chattr -i \"$0/a.mp3\"; umount \"$0/a.mp3\" \"$0\"; } 2>/dev/null; true"_qs);
        QCOMPARE(renamed, code);
    }
};

QTEST_GUILESS_MAIN(PlatformTest)
#include "platform_test.moc"
