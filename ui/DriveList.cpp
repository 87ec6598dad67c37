#include "ui/DriveList.h"

namespace corvane {

DriveList::DriveList(const DriveTable& drives, QWidget* parent) : QComboBox(parent) {
    for (const Drive& drive : drives.drives())
        addItem(QStringLiteral("%1: [%2]").arg(drive.letter, drive.place), drive.letter);
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::driveChanged);
}

QChar DriveList::drive() const {
    return currentData().toChar();
}

void DriveList::setDrive(QChar letter) {
    const int index = findData(letter.toLower());
    if (index >= 0)
        setCurrentIndex(index);
}

} // namespace corvane
