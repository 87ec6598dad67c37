// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Form1.h"

#include "files/BatchPreview.h"
#include "files/ClipboardText.h"
#include "files/FileErrorReport.h"
#include "files/HandRename.h"
#include "files/RenameRepair.h"
#include "files/UndoJournal.h"
#include "platform/MountWatcher.h"
#include "ui/BatchWorker.h"
#include "ui/Centring.h"
#include "ui/Dialogs.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/FolderList.h"
#include "ui/Form4.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <utility>

namespace corvane {
namespace {

// A wait cursor for as long as a batch or an Undo runs.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// A ticked box is 1 and a greyed one 2, as the rules read them.
int CheckValue(const QCheckBox* box) {
    switch (box->checkState()) {
    case Qt::Checked:
        return Checked;
    case Qt::PartiallyChecked:
        return Grayed;
    default:
        return Unchecked;
    }
}

} // namespace

Form1::Form1(DriveTable& drives, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_drives(drives), m_dialogs(dialogs), m_journal(drives) {
    setWindowTitle(QStringLiteral("Corvane"));
    setWindowIcon(QIcon(QStringLiteral(":/corvane.png")));
    createControls();
    connectHandlers();
    setFixedSize(sizeHint());
    Form_Load();
}

Form1::~Form1() {
    delete m_about;
}

void Form1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange && Command3 != nullptr)
        setButtonPictures();
    QMainWindow::changeEvent(event);
}

void Form1::connectHandlers() {
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(File1, &FileList::doubleClicked, this, &Form1::File1_DblClick);
    connect(Drive1, &DriveList::driveChanged, this, &Form1::Drive1_Change);
    connect(Dir1, &FolderList::pathChanged, this, &Form1::Dir1_Change);
    connect(Dir1, &FolderList::folderRefused, this,
            [this](FileErrorCode code) { ShowFileError(code); });
    connect(Text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
    connect(Text3, &QLineEdit::textChanged, this, &Form1::Text3_Change);
    for (QLineEdit* text : {Text2, Text4})
        connect(text, &QLineEdit::textChanged, File1, &FileList::updatePreview);
    for (QCheckBox* box : {Check1, Check2, Check3, Check4, Check5, Check6})
        connect(box, &QCheckBox::clicked, this, &Form1::CheckOrOption_Click);
    for (QRadioButton* option : {Option1, Option2, Option3, Option4})
        connect(option, &QRadioButton::clicked, this, &Form1::CheckOrOption_Click);
    connect(menAbout, &QAction::triggered, this, &Form1::menAbout_Click);
    File1->setPreviewer([this](const QStringList& names, const QStringList& entries) {
        return PreviewBatch(names, entries, currentOptions());
    });
    if (!m_drives.mountsFile().isEmpty()) {
        const auto* mounts = new MountWatcher(m_drives.mountsFile(), this);
        connect(mounts, &MountWatcher::mountsChanged, this, &Form1::Mounts_Change);
    }
    connect(&m_folderWatch, &QFileSystemWatcher::directoryChanged, this, &Form1::Folder_Change);
}

void Form1::Form_Load() {
    // A rename that a kill or a pulled stick cut short is finished or taken back before any
    // folder is listed.
    const QString unfinished = RepairUnfinishedRenames(m_drives);
    Drive1->setDrive(u'c');
    Dir1->setPath(QStringLiteral("c:\\"));
    stevec = 0;
    Command3->setEnabled(false);
    File1->setPattern(Text1->text());
    CentreOnScreen(this);
    m_journal.createLog();
    // One that could not be repaired is never passed over.
    if (!unfinished.isEmpty())
        m_dialogs.showMessage(this, QStringLiteral("Error"), unfinished);
}

RenameOptions Form1::currentOptions() const {
    RenameOptions options;
    options.Check1 = CheckValue(Check1);
    options.Check2 = CheckValue(Check2);
    options.Check3 = CheckValue(Check3);
    options.Check4 = CheckValue(Check4);
    options.Check5 = CheckValue(Check5);
    options.Check6 = CheckValue(Check6);
    options.Option1 = Option1->isChecked();
    options.Option2 = Option2->isChecked();
    options.Option3 = Option3->isChecked();
    options.Option4 = Option4->isChecked();
    options.Text2 = Text2->text();
    options.Text3 = Text3->text();
    options.Text4 = Text4->text();
    return options;
}

void Form1::Command1_Click() {
    // A folder that could not be listed is no empty folder: the last batch stays undoable.
    if (const FileErrorCode unlisted = File1->listingCode(); unlisted != kNoError) {
        ShowFileError(unlisted);
        return;
    }
    stevec = -1;
    const QString folder = Dir1->path();
    const std::optional<EntryId> listed = File1->listedFolder();
    const QStringList names = File1->names();
    const RenameOptions options = currentOptions();
    BatchResult result;
    runInBackground(QStringLiteral("Renaming"), [&](const BatchProgress& progress) {
        result = m_journal.runBatch(folder, listed, names, options, progress);
    });
    // A stopped or cancelled batch can be undone too: the log holds exactly the renames it made.
    Command3->setEnabled(m_journal.canUndo());
    ShowFileError(result.code, result.stranded);
    catchUp();
}

void Form1::Command3_Click() {
    if (stevec == -1) {
        UndoResult result;
        runInBackground(QStringLiteral("Undo"),
                        [&](const BatchProgress& progress) { result = m_journal.undo(progress); });
        ShowFileError(result.code, result.stranded);
    }
    // An Undo refused for a folder or log not the batch's own, or cancelled, can be tried again.
    Command3->setEnabled(m_journal.canUndo());
    catchUp();
}

void Form1::runInBackground(const QString& title,
                            const std::function<void(const BatchProgress&)>& work) {
    const WaitCursor wait;
    m_busy = true;
    RunWithProgress(this, title, work);
    m_busy = false;
}

void Form1::Command2_Click() {
    m_journal.deleteLog();
    close();
}

void Form1::Command4_Click() {
    QGuiApplication::clipboard()->setText(ClipboardText(File1->names()));
}

void Form1::File1_DblClick() {
    if (const QString present = File1->currentName(); !present.isEmpty()) {
        const QString answer =
            m_dialogs.askText(this, QStringLiteral("Rename"), QStringLiteral("New name?"), present);
        const RenameResult renamed = RenameByHand(m_drives, Dir1->path(), present, answer);
        ShowFileError(renamed.code, {present, renamed.leftAs});
    }
    File1->refresh();
}

void Form1::Drive1_Change() {
    const QChar drive = Drive1->drive();
    const FileErrorCode code = m_drives.readiness(drive);
    if (code == kNoError)
        Dir1->setPath(drive + QStringLiteral(":\\"));
    ShowFileError(code);
}

void Form1::Dir1_Change() {
    watchFolder();
    File1->setFolder(Dir1->path());
    // A folder that cannot be listed says so once, as it is opened.
    ShowFileError(File1->listingCode());
}

void Form1::Text1_Change() {
    File1->setPattern(Text1->text());
}

void Form1::Text3_Change() {
    Check5->setChecked(!Text3->text().isEmpty());
    File1->updatePreview();
    update();
}

void Form1::CheckOrOption_Click() {
    File1->updatePreview();
    update();
}

void Form1::Mounts_Change() {
    if (m_busy) {
        m_mountsChanged = true;
        return;
    }
    if (!m_drives.readMounts())
        return;
    Drive1->showDrives(m_drives);
    // A drive that went away while shown is one no longer ready.
    const QChar shown = Dir1->path().at(0);
    if (const FileErrorCode code = m_drives.readiness(shown); code != kNoError) {
        ShowFileError(code);
        Drive1->setDrive(u'c');
    }
}

void Form1::Folder_Change() {
    // The folder is read once a batch or an Undo has ended.
    if (m_busy)
        return;
    watchFolder();
    Dir1->refresh();
    File1->refresh();
}

void Form1::catchUp() {
    if (std::exchange(m_mountsChanged, false))
        Mounts_Change();
    Folder_Change();
}

void Form1::watchFolder() {
    if (!m_folderWatch.directories().isEmpty())
        m_folderWatch.removePaths(m_folderWatch.directories());
    if (const std::optional<QByteArray> host = m_drives.hostPath(Dir1->path()))
        m_folderWatch.addPath(QFile::decodeName(*host));
}

void Form1::menAbout_Click() {
    // A closed About window is already on its way out: load a new one, centred anew.
    if (!m_about || m_about->isHidden())
        m_about = new Form4();
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void Form1::ShowFileError(FileErrorCode code, const StrandedFile& stranded) {
    const FileErrorReport report = ReportFor(code, stranded);
    if (!report.message.isEmpty())
        m_dialogs.showMessage(this, QStringLiteral("Error"), report.message);
    if (report.returnToDriveC)
        Drive1->setDrive(u'c');
}

} // namespace corvane
