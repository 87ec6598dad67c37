// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DriveTable.h"
#include "ui/Dialogs.h"
#include "ui/Form1.h"
#include "ui/InterfaceFont.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

// While the application connects to the display: Qt's own account of a display it cannot reach
// (its platform plugins' warnings and an abort) becomes one plain line and a failed exit.
void StartingUp(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fputs("Corvane needs a graphical desktop session: no display found\n", stderr);
        std::_Exit(EXIT_FAILURE);
    }
    if (QByteArrayView(context.category).startsWith("qt.qpa"))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char* argv[]) {
    Q_INIT_RESOURCE(corvane);
    qInstallMessageHandler(StartingUp);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    QApplication::setFont(corvane::InterfaceFont());

    corvane::DriveTable drives = corvane::DriveTable::FromSystem();
    corvane::Dialogs dialogs;
    corvane::Form1 window(drives, dialogs);
    window.show();
    return QApplication::exec();
}
