// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DriveTable.h"
#include "ui/Dialogs.h"
#include "ui/Form1.h"
#include "ui/InterfaceFont.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    Q_INIT_RESOURCE(corvane);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    QApplication::setFont(corvane::InterfaceFont());

    corvane::DriveTable drives = corvane::DriveTable::FromSystem();
    corvane::Dialogs dialogs;
    corvane::Form1 window(drives, dialogs);
    window.show();
    return QApplication::exec();
}
