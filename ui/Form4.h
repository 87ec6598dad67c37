// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

namespace corvane {

// The About window: product name, version and picture. A dialog to assistive tools, shown
// without holding the main window; Escape closes it, and it deletes itself when closed.
class Form4 : public QDialog {
    Q_OBJECT

public:
    explicit Form4(QWidget* parent = nullptr);

private Q_SLOTS:
    void Command1_Click();

private:
    void Form_Load();
};

} // namespace corvane
