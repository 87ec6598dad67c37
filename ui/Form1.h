// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/LastBatch.h"
#include "files/StrandedFile.h"
#include "names/RenameOptions.h"
#include "platform/DriveTable.h"
#include "platform/FileErrorCode.h"

#include <QFileSystemWatcher>
#include <QMainWindow>
#include <QPointer>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;

namespace corvane {

class Dialogs;
class DriveList;
class FileList;
class FolderList;
class Form4;

// The main window: folder browser, rename options and the actions on the listed files.
class Form1 : public QMainWindow {
    Q_OBJECT

public:
    // The window follows the table's mounts, when it has any.
    Form1(DriveTable& drives, Dialogs& dialogs, QWidget* parent = nullptr);
    ~Form1() override;

private Q_SLOTS:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void File1_DblClick();
    void Drive1_Change();
    void Dir1_Change();
    void Text1_Change();
    void Text3_Change();
    void CheckOrOption_Click();
    void menAbout_Click();
    void Mounts_Change();
    void Folder_Change();

protected:
    // A change of theme redraws the button pictures for the new colours.
    void changeEvent(QEvent* event) override;

private:
    void createControls();
    void setButtonPictures();
    void connectHandlers();
    void Form_Load();
    void ShowFileError(FileErrorCode code, const StrandedFile& stranded = {});
    // Renames an earlier kill left that could not be repaired are never passed over.
    void ShowUnfinished(const QString& unfinished);
    RenameOptions currentOptions() const;
    // Watches the shown folder for entries made, removed or renamed from outside.
    void watchFolder();
    // Runs a batch or an Undo on a worker thread; the lists and the drive table wait meanwhile.
    template <typename Work> auto runInBackground(const QString& title, const Work& work);
    // Once a batch or an Undo has ended: the lists follow what it did, and the drive list the
    // mounts changed meanwhile.
    void catchUp();
    // A network or FUSE folder is read again as an action starts, so that a name another machine
    // took since is seen before the action reaches it.
    void readUnwatchedFolder();

    DriveTable& m_drives;
    Dialogs& m_dialogs;
    QFileSystemWatcher m_folderWatch;
    // A batch or an Undo runs: the lists wait, and the drive table stays as it is.
    bool m_busy = false;
    bool m_mountsChanged = false;
    LastBatch m_lastBatch;

    DriveList* Drive1 = nullptr;
    FolderList* Dir1 = nullptr;
    QLineEdit* Text1 = nullptr;
    FileList* File1 = nullptr;
    QRadioButton* Option4 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option3 = nullptr;
    QRadioButton* Option2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check6 = nullptr;
    QCheckBox* Check3 = nullptr;
    QCheckBox* Check4 = nullptr;
    QLineEdit* Text2 = nullptr;
    QCheckBox* Check5 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLineEdit* Text4 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* Label1 = nullptr;
    QMenu* menPomoc = nullptr;
    QAction* menAbout = nullptr;
    QPointer<Form4> m_about;
};

} // namespace corvane
