// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ButtonPictures.h"
#include "ui/DriveList.h"
#include "ui/FileList.h"
#include "ui/FolderList.h"
#include "ui/Form1.h"
#include "ui/Twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <initializer_list>
#include <utility>

// The window's controls at their designed places, captions and start states, in tab order.

namespace corvane {
namespace {

// Places a control at a rectangle given in twips and names it after its design name.
template <typename Control>
Control* Place(Control* control, const char* name, int left, int top, int width, int height) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(TwipsRect(left, top, width, height));
    return control;
}

} // namespace

void Form1::createControls() {
    auto* client = new QWidget(this);
    client->setFixedSize(TwipsRect(0, 0, 6945, 7200).size());
    setCentralWidget(client);
    const auto text = [](const char* caption) { return QString::fromLatin1(caption); };

    Drive1 = Place(new DriveList(m_drives, client), "Drive1", 240, 480, 3015, 315);
    Dir1 = Place(new FolderList(m_drives, client), "Dir1", 240, 960, 3015, 3240);
    Text1 = Place(new QLineEdit(text("*.mp3"), client), "Text1", 3480, 480, 3135, 315);
    File1 = Place(new FileList(m_drives, client), "File1", 3480, 960, 3135, 3210);
    Option4 =
        Place(new QRadioButton(text("Don't change Case"), client), "Option4", 360, 4440, 2535, 255);
    Option1 = Place(new QRadioButton(text("Change To ProperCase"), client), "Option1", 360, 4800,
                    2415, 255);
    Option3 = Place(new QRadioButton(text("UpperCase after dash"), client), "Option3", 360, 5160,
                    2535, 255);
    Option2 = Place(new QRadioButton(text("Change to LowerCase"), client), "Option2", 360, 5520,
                    2415, 255);
    Check1 = Place(new QCheckBox(text("Replace underscores with spaces"), client), "Check1", 3240,
                   4440, 2895, 255);
    Check2 = Place(new QCheckBox(text("Replace comma with dash"), client), "Check2", 3240, 4800,
                   3015, 255);
    Check6 =
        Place(new QCheckBox(text("Spaces around dashes"), client), "Check6", 3240, 5160, 2775, 255);
    Check3 = Place(new QCheckBox(text("Delete track number (for mp3 only)"), client), "Check3",
                   3240, 5520, 3135, 255);
    Check4 =
        Place(new QCheckBox(text("Remove characters:"), client), "Check4", 3240, 5880, 3015, 255);
    Text2 = Place(new QLineEdit(text("@%&$#~"), client), "Text2", 5760, 5880, 975, 315);
    Check5 = Place(new QCheckBox(text("Replace"), client), "Check5", 3240, 6240, 1095, 255);
    Text3 = Place(new QLineEdit(client), "Text3", 4320, 6240, 855, 285);
    Text4 = Place(new QLineEdit(client), "Text4", 5760, 6240, 975, 285);
    Command1 = Place(new QPushButton(text("Corvane"), client), "Command1", 360, 6240, 2175, 735);
    Command4 = Place(new QPushButton(client), "Command4", 2880, 0, 375, 375);
    Command3 = Place(new QPushButton(client), "Command3", 3480, 0, 375, 375);
    Command2 = Place(new QPushButton(text("Exit"), client), "Command2", 5520, 0, 1095, 375);
    Label1 = Place(new QLabel(text("with"), client), "Label1", 5280, 6240, 375, 255);
    Label1->setAlignment(Qt::AlignCenter);

    // The pattern is in place before the first folder is listed, so start-up lists it once.
    File1->setPattern(Text1->text());
    Option4->setChecked(true);
    for (QCheckBox* ticked : {Check1, Check2, Check6})
        ticked->setChecked(true);
    setButtonPictures();
    // A screen reader names each control after its caption, the label beside it, or what it
    // holds (the drive list, its drive).
    for (const auto& [control, name] :
         std::initializer_list<std::pair<QWidget*, const char*>>{{Dir1, "Folders"},
                                                                 {Text1, "File pattern"},
                                                                 {File1, "Files"},
                                                                 {Text2, "Characters to remove"},
                                                                 {Text3, "Text to replace"},
                                                                 {Text4, "Replace with"}})
        control->setAccessibleName(text(name));
    Command1->setToolTip(text("Rename every listed file by the chosen rules"));
    Command1->setAccessibleDescription(Command1->toolTip());
    Command4->setToolTip(text("Copy names to clipboard"));
    Command4->setAccessibleName(text("Copy names to clipboard"));
    Command3->setToolTip(text("Undo"));
    Command3->setAccessibleName(text("Undo"));
    for (QPushButton* picture : {Command4, Command3})
        picture->setIconSize(QSize(16, 15));
    // Enter presses the focused button, as Space does.
    for (QPushButton* button : {Command1, Command4, Command3, Command2})
        button->setAutoDefault(true);

    // The designed tab order; the label takes no focus.
    const QList<QWidget*> tabOrder{Drive1,  Dir1,   Text1,  File1,    Option4,  Option1,  Option3,
                                   Option2, Check1, Check2, Check6,   Check3,   Check4,   Text2,
                                   Check5,  Text3,  Text4,  Command1, Command4, Command3, Command2};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder.at(i - 1), tabOrder.at(i));

    menPomoc = menuBar()->addMenu(text("Help"));
    menPomoc->setObjectName(text("menPomoc"));
    menAbout = menPomoc->addAction(text("About"));
    menAbout->setObjectName(text("menAbout"));
}

void Form1::setButtonPictures() {
    Command4->setIcon(ButtonPicture(ButtonPictureKind::Copy, palette()));
    Command3->setIcon(ButtonPicture(ButtonPictureKind::Undo, palette()));
}

} // namespace corvane
