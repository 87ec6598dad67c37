// SPDX-License-Identifier: GPL-3.0-or-later
#include "FaultySystemCalls.h"
#include "TestDrive.h"
#include "files/RenamePlan.h"
#include "ui/Dialogs.h"
#include "ui/FileList.h"
#include "ui/FileListModel.h"
#include "ui/FolderList.h"
#include "ui/Form1.h"
#include "ui/InterfaceFont.h"
#include "ui/ProgressWindow.h"

#include <QtTest>
#include <QtWidgets>
#include <cerrno>
#include <unistd.h>

using namespace corvane;

namespace {

// Keeps every message shown; the input box is cancelled, its default text kept.
class ScriptedDialogs : public Dialogs {
public:
    QStringList messages;
    QStringList asked;

    void showMessage(QWidget*, const QString& title, const QString& text) override {
        messages.append(title + u": "_qs + text);
    }
    QString askText(QWidget*, const QString&, const QString&, const QString& defaultText) override {
        asked.append(defaultText);
        return {};
    }
};

// Acts on the first window of kind T to show as the modal one, once it holds the focus as a
// person would wait for, from within whatever loop waits for it: a box's own, or a batch's.
template <typename T> void WhenShown(QObject* owner, const std::function<void(T*)>& act) {
    auto* poll = new QTimer(owner);
    QObject::connect(poll, &QTimer::timeout, owner, [poll, act] {
        T* shown = qobject_cast<T*>(QApplication::activeModalWidget());
        if (shown && shown->isAncestorOf(QApplication::focusWidget())) {
            poll->stop();
            poll->deleteLater();
            act(shown);
        }
    });
    poll->start(10);
}

// A main window on its own temporary drive.
struct Window {
    explicit Window(const QByteArrayList& files = {}, DriveTable* drives = nullptr,
                    const std::function<void(const TestDrive&)>& prepare = {}) {
        drive.makeFiles(files);
        if (prepare)
            prepare(drive);
        form = std::make_unique<Form1>(drives ? *drives : drive.drives(), dialogs);
        form->show();
    }

    template <typename T> T* get(const char* name) const {
        return form->findChild<T*>(QString::fromLatin1(name));
    }
    QStringList listed() const { return QVariant(column(Qt::DisplayRole)).toStringList(); }
    // One role of every row of the file list.
    QVariantList column(int role) const {
        QVariantList values;
        const QAbstractItemModel* model = get<QListView>("File1")->model();
        for (int row = 0; row < model->rowCount(); ++row)
            values.append(model->index(row, 0).data(role));
        return values;
    }
    void click(const char* button) const {
        QTest::mouseClick(get<QPushButton>(button), Qt::LeftButton);
    }
    void activateFolder(const QString& name) const {
        auto* folders = get<QListWidget>("Dir1");
        const QList<QListWidgetItem*> found = folders->findItems(name, Qt::MatchExactly);
        QVERIFY(found.size() == 1);
        Q_EMIT folders->itemActivated(found.first());
    }

    TestDrive drive;
    ScriptedDialogs dialogs;
    std::unique_ptr<Form1> form;
};

} // namespace

class UiTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        Q_INIT_RESOURCE(corvane);
        QApplication::setFont(InterfaceFont());
    }

    // The window as designed: the renames cut short finished or named, the listing, the start
    // values. (Its empty log at the start and none after Exit: e2e_test.sh.)
    void startsInTheDesignedState() {
        // One case-only rename was killed half-way; another was on a stick that is gone.
        Window window(
            {"b.mp3", "a.MP3", "c.ogg", "Song (2).mp3"}, nullptr, [](const TestDrive& drive) {
                drive.writeJournal({{drive.host(), "song.mp3", "Song.mp3", "Song (2).mp3"},
                                    {"/media/gone", "a.mp3", "b.mp3", {}}});
            });
        QCOMPARE(window.listed(), QStringList({u"a.MP3"_qs, u"b.mp3"_qs, u"Song.mp3"_qs}));
        QCOMPARE(window.dialogs.messages,
                 QStringList{u"Error: A rename in /media/gone could not be finished: look for "
                             "\"a.mp3\" there, also under \"b.mp3\"."_qs});
        QCOMPARE(window.get<QComboBox>("Drive1")->currentText(), u"c: [home]"_qs);
        QStringList ticked;
        for (const QAbstractButton* button : window.form->findChildren<QAbstractButton*>()) {
            if (button->isChecked())
                ticked.append(button->objectName());
        }
        ticked.sort();
        QCOMPARE(ticked.join(u' '), u"Check1 Check2 Check6 Option4"_qs);
        QVERIFY(window.get<QPushButton>("Command4")->icon().pixmap(16).toImage() !=
                window.get<QPushButton>("Command3")->icon().pixmap(16).toImage());
        QVERIFY(!window.get<QPushButton>("Command3")->isEnabled());
    }

    // A screen reader hears every control's name and each file's mark; a keyboard user reaches the
    // files the batch would stop on, and finds the one it stopped on chosen and in the middle.
    void stopsReachKeyboardAndScreenReader() {
        QByteArrayList names{"b_1.mp3", "b_2.mp3", "b_3\".mp3", "b_4.mp3", "b_5.mp3"};
        for (int i = 10; i < 50; ++i)
            names << "a_" + QByteArray::number(i) + ".mp3"
                  << "c_" + QByteArray::number(i) + ".mp3";
        Window window(names, nullptr,
                      [](const TestDrive& drive) { drive.makeFiles({}, "b 5.mp3"); });
        const auto heard = [](QObject* control, QAccessible::Text text) {
            return QAccessible::queryAccessibleInterface(control)->text(text);
        };
        const QStringList named{u"Dir1=Folders"_qs, u"File1=Files"_qs, u"Text3=Text to replace"_qs,
                                u"Text4=Replace with"_qs, u"Command4=Copy names to clipboard"_qs};
        for (const QString& control : named)
            QCOMPARE(heard(window.get<QWidget>(qPrintable(control.section(u'=', 0, 0))),
                           QAccessible::Name),
                     control.section(u'=', 1));
        QCOMPARE(heard(window.get<QWidget>("Command1"), QAccessible::Description),
                 u"Rename every listed file by the chosen rules"_qs);

        auto* files = window.get<QListView>("File1");
        files->setFocus();
        for (const int stop : {42, 44, 42}) {
            QTest::keyClick(files, Qt::Key_F8);
            QCOMPARE(files->currentIndex().row(), stop);
        }
        QAccessibleTableInterface* table =
            QAccessible::queryAccessibleInterface(files)->tableInterface();
        const QString stop = table->cellAt(42, 0)->text(QAccessible::Description);
        QVERIFY(stop.startsWith(u"b 3\".mp3\nThe batch would stop here: "_qs));
        QCOMPARE(table->cellAt(44, 0)->text(QAccessible::Description),
                 u"b 5.mp3\nThe batch would stop here: this name is taken."_qs);
        QCOMPARE(QToolTip::text(), stop);
        files->setCurrentIndex(files->model()->index(0, 0));
        QTest::keyClick(files, Qt::Key_F1, Qt::ShiftModifier);
        QCOMPARE(QToolTip::text(), table->cellAt(0, 0)->text(QAccessible::Description));

        const auto enterOn = [&](const char* button) {
            window.get<QPushButton>(button)->setFocus();
            QTest::keyClick(window.get<QPushButton>(button), Qt::Key_Return);
        };
        enterOn("Command1");
        QCOMPARE(window.dialogs.messages, QStringList{u"Error: Bad file name!"_qs});
        QCOMPARE(files->currentIndex().data().toString(), u"b_3\".mp3"_qs);
        const QRect shown = files->visualRect(files->currentIndex());
        QVERIFY(qAbs(shown.center().y() - files->viewport()->rect().center().y()) < shown.height());
        enterOn("Command4");
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(u"a 10\r\na 11\r\n"_qs));
    }

    // The pattern narrows what was read, reading nothing from the disk; text in the Replace field
    // ticks Replace.
    void fieldsActAtOnce() {
        FaultySystemCalls system;
        TestDrive drive(system);
        drive.makeFiles({"01. Intro.mp3", ".mp3", "Song.mp3", "README", "b.ogg", "c.OGG"});
        Window window({}, &drive.drives());
        const int reads = system.count(FaultySystemCalls::ReadFolder);
        auto* pattern = window.get<QLineEdit>("Text1");
        pattern->selectAll();
        QTest::keyClicks(pattern, u"*.og"_qs);
        QCOMPARE(window.listed(), QStringList());
        QTest::keyClicks(pattern, u"g"_qs);
        QCOMPARE(window.listed(), QStringList({u"b.ogg"_qs, u"c.OGG"_qs}));
        pattern->setText(u"*.mp3"_qs); // a name that begins with a dot stays hidden
        QCOMPARE(window.listed(), QStringList({u"01. Intro.mp3"_qs, u"Song.mp3"_qs}));
        QCOMPARE(system.count(FaultySystemCalls::ReadFolder), reads);

        auto* text3 = window.get<QLineEdit>("Text3");
        auto* check5 = window.get<QCheckBox>("Check5");
        const auto ticked = [&](const std::function<void()>& step) {
            step();
            return check5->isChecked();
        };
        QVERIFY(ticked([&] { QTest::keyClicks(text3, u"x"_qs); }));
        QVERIFY(!ticked([&] { QTest::keyClick(text3, Qt::Key_Backspace); }));
        QVERIFY(ticked([&] { QTest::keyClick(text3, Qt::Key_Space); }));
        QVERIFY(!ticked([&] { QTest::mouseClick(check5, Qt::LeftButton); }));
        QVERIFY(ticked([&] { QTest::keyClicks(text3, u"y"_qs); }));
    }

    // A stick ejected while the window shows it sends the lists back to "c:\\" without a word, as
    // the window comes back. The window reads a mount table of its own, never the machine's.
    void ejectedStickSendsTheListsHome() {
        TestDrive drive;
        drive.makeFiles({"a.mp3"}, "STICK");
        QTemporaryFile mounts;
        const QByteArray table = "/dev/sdb1 " + drive.host("STICK") + " vfat rw 0 0\n";
        QVERIFY(mounts.open() && mounts.write(table) == table.size() && mounts.flush());
        drive.drives().followMounts(
            {QFile::encodeName(mounts.fileName()), {drive.host() + '/'}, {}});
        Window window({}, &drive.drives());
        window.get<QComboBox>("Drive1")->setCurrentIndex(1);
        QCOMPARE(window.listed(), QStringList{u"a.mp3"_qs});
        QVERIFY(mounts.resize(0));
        window.form->activateWindow();
        QTRY_VERIFY(window.form->isActiveWindow());
        QEvent activated(QEvent::ActivationChange);
        QApplication::sendEvent(window.form.get(), &activated);
        QCOMPARE(window.get<FolderList>("Dir1")->path(), u"c:\\"_qs);
        QCOMPARE(window.dialogs.messages, QStringList());
    }

    // Cancel in the progress window stops a slow batch between two files; meanwhile the window
    // counts the files done and the cursor waits.
    void cancelButtonStopsTheBatch() {
        FaultySystemCalls system;
        TestDrive drive(system);
        QByteArrayList files;
        for (int i = 10; i < 50; ++i)
            files.append("a_" + QByteArray::number(i) + ".mp3");
        drive.makeFiles(files);
        Window window({}, &drive.drives());
        system.delayMicroseconds = 40000;
        WhenShown<ProgressWindow>(this, [](ProgressWindow* progress) {
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            QTRY_VERIFY(progress->findChild<QLabel*>()->text().endsWith(u" of 40"_qs));
            QTest::mouseClick(
                progress->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel),
                Qt::LeftButton);
        });
        window.click("Command1");
        QVERIFY(window.dialogs.messages.isEmpty() && !QGuiApplication::overrideCursor());
        QVERIFY(drive.names().contains(files.last()) && !drive.names().contains(files.first()));
    }

    // Each name shows its mark and its picture, none for a name that stays, and the marks follow
    // every change: a click, a keystroke, a file gone from the folder, a case option. A change that
    // comes while the marks are being made supersedes them; a tip asked for before they catch up
    // tells of now. What each mark means is the file tests'. The folder is large enough that the
    // marks are still being made when the next change comes, however busy the machine.
    void marksFollowEveryChange() {
        using enum PreviewMark;
        QByteArrayList files{"a b.mp3", "a_b.mp3", "a_c.mp3"};
        for (int i = 0; i < 20000; ++i)
            files.append("t_" + QByteArray::number(i) + ".mp3");
        Window window(files, nullptr, [](const TestDrive& drive) {
            for (int i = 10; i < 40; ++i)
                drive.makeFiles({}, "f" + QByteArray::number(i));
        });
        auto* list = window.get<FileList>("File1");
        auto* folders = window.get<QListWidget>("Dir1");
        const auto marks = [&] {
            QList<PreviewMark> shown;
            for (const QVariant& mark : window.column(FileListModel::MarkRole).first(3))
                shown.append(mark.isValid() ? PreviewMark(mark.toInt()) : PreviewMark(-1));
            return shown;
        };
        const auto hover = [&](int row) {
            const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
            QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
            QApplication::sendEvent(list->viewport(), &help);
            return QToolTip::text().section(u'\n', 0, 0);
        };
        QTRY_COMPARE(marks(), QList({Unchanged, Collides, Changes}));
        QList<QImage> pictures;
        for (const QVariant& icon : window.column(Qt::DecorationRole).first(3))
            pictures.append(icon.value<QIcon>().pixmap(12).toImage());
        QImage blank(pictures.first().size(), pictures.first().format());
        blank.fill(Qt::transparent);
        QVERIFY(pictures.at(0) == blank && pictures.at(1) != blank && pictures.at(2) != blank &&
                pictures.at(1) != pictures.at(2));
        QCOMPARE(hover(2), u"a c.mp3"_qs);
        auto* underscores = window.get<QCheckBox>("Check1");
        QTest::mouseClick(underscores, Qt::LeftButton);
        QCOMPARE(hover(1), u"a_b.mp3"_qs);
        QSignalSpy shown(list, &FileList::marksShown);
        QTest::mouseClick(underscores, Qt::LeftButton);
        QCoreApplication::processEvents();
        QTest::mouseClick(underscores, Qt::LeftButton);
        QVERIFY(shown.wait());
        QCOMPARE(marks(), QList({Unchanged, Unchanged, Unchanged}));
        QTest::keyClicks(window.get<QLineEdit>("Text3"), u"c"_qs);
        QTRY_COMPARE(marks(), QList({Unchanged, Unchanged, Changes}));
        QTest::keyClicks(window.get<QLineEdit>("Text4"), u"d"_qs);
        QCOMPARE(hover(2), u"a_d.mp3"_qs);
        // The lists follow the folder, each keeping its choice and where it is scrolled to; the
        // folders below the open one show closed.
        list->setCurrentIndex(list->model()->index(2, 0));
        folders->setCurrentRow(3);
        const QList<QScrollBar*> bars{list->verticalScrollBar(), folders->verticalScrollBar()};
        for (QScrollBar* bar : bars)
            bar->setValue(5);
        QCOMPARE(::unlink(window.drive.host("a_b.mp3").constData()), 0);
        window.drive.makeFiles({"b.mp3"}, "new folder");
        QTRY_COMPARE(window.listed().at(1), u"a_c.mp3"_qs);
        QTRY_COMPARE(marks(), QList({Unchanged, Changes, Unchanged}));
        QTRY_COMPARE(folders->count(), 32);
        QCOMPARE(list->currentName(), u"a_c.mp3"_qs);
        QCOMPARE(folders->currentItem()->text(), u"f12"_qs);
        for (QScrollBar* bar : bars)
            QCOMPARE(bar->value(), 5);
        QVERIFY(folders->item(0)->icon().pixmap(16).toImage() !=
                folders->item(3)->icon().pixmap(16).toImage());
        list->scrollToTop();
        QTest::mouseClick(window.get<QRadioButton>("Option1"), Qt::LeftButton);
        QTRY_COMPARE(marks(), QList({Changes, Changes, Changes}));
        QTest::mouseClick(window.get<QCheckBox>("Check4"), Qt::LeftButton);
        const QString kept = hover(0);
        QTest::keyClicks(window.get<QLineEdit>("Text2"), u"a"_qs);
        QVERIFY(hover(0) != kept);
    }

    // A folder that cannot be read or a drive not ready says so and keeps the last batch undoable;
    // so does an Undo whose file is gone. "a\\b" as one folder's name, which would open "a" and
    // then "b", is shown but not opened; a drive gone for good sends the lists back to "c:\\".
    void whatCannotBeOpenedSaysSo() {
        FaultySystemCalls system;
        TestDrive drive(system);
        drive.makeFiles({"a_b.mp3"});
        for (const char* folder : {"locked", "a\\b", "a", "a/b"})
            drive.makeFiles({"x.mp3"}, folder);
        system.failFolder(drive.host("locked"), EACCES);
        DriveTable drives({drive.drives().drives().first(),
                           {u'd', QByteArray(), u"/dev/sr0"_qs},
                           {u'e', "/media/unplugged", u"/media/unplugged"_qs}},
                          drive.stateFolder(), system);
        Window window({}, &drives);
        window.click("Command1");
        const QByteArray log = drive.log();
        QCOMPARE(log, QByteArray("\"a b.mp3\",\"a_b.mp3\"\r\n"));
        window.activateFolder(u"a\\b"_qs);
        QCOMPARE(window.get<FolderList>("Dir1")->path(), u"c:\\"_qs);
        auto* driveList = window.get<QComboBox>("Drive1");
        driveList->setCurrentIndex(1);
        QCOMPARE(driveList->currentIndex(), 1);
        QCOMPARE(window.listed(), QStringList{u"a b.mp3"_qs});
        driveList->setCurrentIndex(2);
        QCOMPARE(driveList->currentIndex(), 0);
        QCOMPARE(window.get<QListWidget>("Dir1")->currentItem()->text(), u"c:\\"_qs);
        window.activateFolder(u"locked"_qs);
        window.click("Command1");
        QCOMPARE(window.dialogs.messages,
                 QStringList({u"Error: Bad file name!"_qs, u"Error: CD-ROM is not ready!"_qs,
                              u"Error: Choose proper drive!"_qs, u"Error: Files are read only!"_qs,
                              u"Error: Files are read only!"_qs}));
        QCOMPARE(drive.log(), log);
        // Undo that finds its file gone says so.
        QCOMPARE(::unlink(drive.host("a b.mp3").constData()), 0);
        window.click("Command3");
        QCOMPARE(window.dialogs.messages.last(), u"Error: Can't find file!"_qs);
    }

    // The real boxes, answered from the keyboard: the Rename box offers the name and takes the one
    // typed, Escape there drops what was typed, and a failure's box shows its title and text.
    void realBoxesTakeKeys() {
        Dialogs boxes;
        TestDrive drive;
        drive.makeFiles({"a.mp3", "b_\".mp3"});
        Form1 form(drive.drives(), boxes);
        form.show();
        QStringList shown;
        const auto rename = [&](const QString& typed, Qt::Key key) {
            WhenShown<QInputDialog>(this, [&shown, typed, key](QInputDialog* box) {
                shown.append(box->windowTitle() + u": "_qs + box->textValue());
                QTest::keyClicks(box->findChild<QLineEdit*>(), typed);
                QTest::keyClick(QApplication::focusWidget(), key);
            });
        };
        auto* list = form.findChild<QListView*>(u"File1"_qs);
        list->setCurrentIndex(list->model()->index(0, 0));
        rename(u"x"_qs, Qt::Key_Escape);
        QTest::keyClick(list, Qt::Key_Return);
        rename(u"c.mp3"_qs, Qt::Key_Return);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(list->model()->index(1, 0).data().toString(), u"c.mp3"_qs);
        WhenShown<QMessageBox>(this, [&shown](QMessageBox* box) {
            shown.append(box->windowTitle() + u": "_qs + box->text());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        QTest::mouseClick(form.findChild<QPushButton*>(u"Command1"_qs), Qt::LeftButton);
        QCOMPARE(shown, QStringList({u"Rename: a.mp3"_qs, u"Rename: a.mp3"_qs,
                                     u"Error: Bad file name!"_qs}));
        QCOMPARE(drive.names(), QByteArrayList({"b_\".mp3", "c.mp3"}));
    }
};

QTEST_MAIN(UiTest)
#include "ui_test.moc"
