// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DriveTable.h"

#include <QComboBox>

namespace corvane {

// The drive list: one entry a lettered drive, shown with its place ("c: [home]").
class DriveList : public QComboBox {
    Q_OBJECT

public:
    DriveList(const DriveTable& drives, QWidget* parent);

    QChar drive() const;
    // Emits driveChanged before it returns when the drive changes, as a user's choice does.
    void setDrive(QChar letter);
    // Lists the table's drives anew without a change of drive; a drive no longer there leaves
    // none chosen.
    void showDrives(const DriveTable& drives);

Q_SIGNALS:
    void driveChanged();
};

} // namespace corvane
