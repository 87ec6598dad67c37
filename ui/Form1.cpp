// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Form1.h"

#include "files/ClipboardText.h"
#include "files/FileErrorReport.h"
#include "files/HandRename.h"
#include "files/MountWatcher.h"
#include "files/RenamePlan.h"
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
    : QMainWindow(parent), m_drives(drives), m_dialogs(dialogs), m_lastBatch(drives) {
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
    // Coming back to the window: shares gvfs mounted meanwhile, and what other machines changed
    // in a network folder, show.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && File1 != nullptr) {
        Mounts_Change();
        if (File1->unwatched())
            Folder_Change();
    }
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
    File1->setOptionsSource([this] { return currentOptions(); });
    const auto* mounts = new MountWatcher(m_drives, this);
    connect(mounts, &MountWatcher::mountsChanged, this, &Form1::Mounts_Change);
    connect(&m_folderWatch, &QFileSystemWatcher::directoryChanged, this, &Form1::Folder_Change);
}

void Form1::Form_Load() {
    // A rename that a kill or a pulled stick cut short is finished or taken back before any
    // folder is listed.
    const QString unfinished = m_lastBatch.start();
    Drive1->setDrive(u'c');
    Dir1->setPath(QStringLiteral("c:\\"));
    Command3->setEnabled(false);
    File1->setPattern(Text1->text());
    CentreOnScreen(this);
    ShowUnfinished(unfinished);
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

template <typename Work> auto Form1::runInBackground(const QString& title, const Work& work) {
    const WaitCursor wait;
    m_busy = true;
    auto outcome = RunForOutcome(this, title, work);
    m_busy = false;
    return outcome;
}

void Form1::Command1_Click() {
    readUnwatchedFolder();
    // A folder that could not be listed is no empty folder: the last batch stays undoable.
    if (const FileErrorCode unlisted = File1->listingCode(); unlisted != kNoError) {
        ShowFileError(unlisted);
        return;
    }
    const QList<RenamePlan> plans = File1->plans();
    const BatchJob job = m_lastBatch.batch(Dir1->path(), File1->listedFolder(), plans);
    const BatchOutcome outcome =
        runInBackground(QStringLiteral("Renaming"), [job](const BatchProgress& progress) {
            return RunBatchJob(job, progress);
        });
    m_lastBatch.finish(outcome);
    // A stopped or cancelled batch can be undone too: the log holds exactly the renames it made.
    Command3->setEnabled(m_lastBatch.canUndo());
    ShowUnfinished(outcome.unfinished);
    ShowFileError(outcome.result.code, outcome.result.stranded);
    catchUp();
    // The file the batch stopped on is shown, under the name it is left with.
    const BatchResult& result = outcome.result;
    if (result.code != kNoError && !result.cancelled && result.renamed < plans.size()) {
        const QString& leftAs = result.stranded.leftAs;
        File1->showName(leftAs.isEmpty() ? plans.at(result.renamed).name : leftAs);
    }
}

void Form1::Command3_Click() {
    readUnwatchedFolder();
    if (m_lastBatch.stevec() == -1) {
        if (const std::optional<UndoJob> job = m_lastBatch.undo()) {
            const UndoOutcome outcome =
                runInBackground(QStringLiteral("Undo"), [job](const BatchProgress& progress) {
                    return RunUndoJob(*job, progress);
                });
            m_lastBatch.finish(outcome);
            ShowUnfinished(outcome.unfinished);
            ShowFileError(outcome.result.code, outcome.result.stranded);
        }
    }
    // An Undo refused for a folder or log not the batch's own, or cancelled, can be tried again.
    Command3->setEnabled(m_lastBatch.canUndo());
    catchUp();
}

void Form1::Command2_Click() {
    m_lastBatch.deleteLog();
    close();
}

void Form1::Command4_Click() {
    QGuiApplication::clipboard()->setText(ClipboardText(File1->names()));
}

void Form1::File1_DblClick() {
    readUnwatchedFolder();
    if (const QString present = File1->currentName(); !present.isEmpty()) {
        const QString answer =
            m_dialogs.askText(this, QStringLiteral("Rename"), QStringLiteral("New name?"), present);
        const HandRenameResult renamed = RenameByHand(m_drives, Dir1->path(), present, answer);
        ShowUnfinished(renamed.unfinished);
        ShowFileError(renamed.code, renamed.stranded);
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
    // A drive the user ejected while it was shown: back to "c:\", which is no failure to report.
    if (m_drives.readiness(Dir1->path().at(0)) != kNoError)
        Drive1->setDrive(u'c');
}

void Form1::Folder_Change() {
    // The folder is read once a batch or an Undo has ended.
    if (m_busy)
        return;
    watchFolder();
    Dir1->refresh();
    File1->refresh();
}

void Form1::readUnwatchedFolder() {
    if (File1->unwatched())
        Folder_Change();
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

void Form1::ShowUnfinished(const QString& unfinished) {
    if (!unfinished.isEmpty())
        m_dialogs.showMessage(this, QStringLiteral("Error"), unfinished);
}

void Form1::ShowFileError(FileErrorCode code, const StrandedFile& stranded) {
    const FileErrorReport report = ReportFor(code, stranded);
    if (!report.message.isEmpty())
        m_dialogs.showMessage(this, QStringLiteral("Error"), report.message);
    if (report.returnToDriveC)
        Drive1->setDrive(u'c');
}

} // namespace corvane
