// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace corvane {

// The About window: product name, version and picture. It deletes itself when closed.
class Form4 : public QWidget {
    Q_OBJECT

public:
    explicit Form4(QWidget* parent = nullptr);

private Q_SLOTS:
    void Command1_Click();

private:
    void Form_Load();
};

} // namespace corvane
