#include "ui/Form1.h"

#include "files/ClipboardText.h"
#include "files/FileErrorReport.h"
#include "files/HandRename.h"
#include "files/NamePreview.h"
#include "files/RenameRepair.h"
#include "files/UndoJournal.h"
#include "ui/Centring.h"
#include "ui/Dialogs.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/FolderList.h"
#include "ui/Form4.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

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

Form1::Form1(const DriveTable& drives, Dialogs& dialogs, QWidget* parent)
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
    connect(File1, &FileList::itemDoubleClicked, this, &Form1::File1_DblClick);
    connect(Drive1, &DriveList::driveChanged, this, &Form1::Drive1_Change);
    connect(Dir1, &FolderList::pathChanged, this, &Form1::Dir1_Change);
    connect(Dir1, &FolderList::folderRefused, this,
            [this](FileErrorCode code) { ShowFileError(code); });
    connect(Text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
    connect(Text3, &QLineEdit::textChanged, this, &Form1::Text3_Change);
    for (QCheckBox* box : {Check1, Check2, Check3, Check4, Check5, Check6})
        connect(box, &QCheckBox::clicked, this, &Form1::CheckOrOption_Click);
    for (QRadioButton* option : {Option1, Option2, Option3, Option4})
        connect(option, &QRadioButton::clicked, this, &Form1::CheckOrOption_Click);
    connect(menAbout, &QAction::triggered, this, &Form1::menAbout_Click);
    File1->setPreview([this](const QString& name) { return PreviewName(name, currentOptions()); });
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
    BatchResult result;
    {
        const WaitCursor wait;
        result = m_journal.runBatch(Dir1->path(), File1->listedFolder(), File1->names(),
                                    currentOptions());
    }
    // A stopped batch can be undone too: the log holds exactly the renames it made.
    Command3->setEnabled(m_journal.canUndo());
    ShowFileError(result.code, result.stranded);
    File1->refresh();
}

void Form1::Command3_Click() {
    if (stevec == -1) {
        UndoResult result;
        {
            const WaitCursor wait;
            result = m_journal.undo();
        }
        ShowFileError(result.code, result.stranded);
    }
    // An Undo refused for a folder or log not the batch's own can be tried again.
    Command3->setEnabled(m_journal.canUndo());
    File1->refresh();
}

void Form1::Command2_Click() {
    m_journal.deleteLog();
    close();
}

void Form1::Command4_Click() {
    QGuiApplication::clipboard()->setText(ClipboardText(File1->names()));
}

void Form1::File1_DblClick() {
    if (const QListWidgetItem* item = File1->currentItem()) {
        const QString present = item->text();
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
    File1->setFolder(Dir1->path());
    // A folder that cannot be listed says so once, as it is opened.
    ShowFileError(File1->listingCode());
}

void Form1::Text1_Change() {
    File1->setPattern(Text1->text());
}

void Form1::Text3_Change() {
    Check5->setChecked(!Text3->text().isEmpty());
    update();
}

void Form1::CheckOrOption_Click() {
    update();
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
