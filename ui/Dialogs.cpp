#include "ui/Dialogs.h"

#include <QInputDialog>
#include <QMessageBox>

namespace corvane {

void Dialogs::showMessage(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

QString Dialogs::askText(QWidget* parent, const QString& title, const QString& prompt,
                         const QString& defaultText) {
    bool accepted = false;
    const QString text =
        QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, defaultText, &accepted);
    return accepted ? text : QString();
}

} // namespace corvane
