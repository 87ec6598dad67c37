// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DriveList.h"

#include <QSignalBlocker>

namespace corvane {

DriveList::DriveList(const DriveTable& drives, QWidget* parent) : QComboBox(parent) {
    showDrives(drives);
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

void DriveList::showDrives(const DriveTable& drives) {
    const QSignalBlocker quiet(this);
    const QChar shown = drive();
    clear();
    for (const Drive& drive : drives.drives())
        addItem(QStringLiteral("%1: [%2]").arg(drive.letter, drive.place), drive.letter);
    setCurrentIndex(shown.isNull() ? 0 : findData(shown));
}

} // namespace corvane
