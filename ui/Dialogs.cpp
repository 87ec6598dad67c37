// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Dialogs.h"

#include <QGridLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpacerItem>

namespace corvane {
namespace {

// Room for the title and the window manager's buttons beside it, which a box as narrow as its
// text would cut to "E… r".
constexpr int kTitleRoom = 160;
constexpr int kSmallestBox = 260;
// The Rename box shows about this many characters of a name.
constexpr int kRenameCharacters = 60;

} // namespace

void Dialogs::showMessage(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    // A message box sizes itself to its text; a spacer across its grid holds it wider.
    const int width =
        std::max(kSmallestBox, box.fontMetrics().horizontalAdvance(title) + kTitleRoom);
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
    box.exec();
}

QString Dialogs::askText(QWidget* parent, const QString& title, const QString& prompt,
                         const QString& defaultText) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    // The box sizes itself to its field: the field is made room for a long name.
    if (auto* field = dialog.findChild<QLineEdit*>())
        field->setMinimumWidth(field->fontMetrics().averageCharWidth() * kRenameCharacters);
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

} // namespace corvane
