// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

namespace corvane {

// How far a long batch or Undo has come, with the Cancel that stops it between two files.
class ProgressWindow : public QDialog {
    Q_OBJECT

public:
    ProgressWindow(QWidget* parent, const QString& title);

    void showProgress(qsizetype done, qsizetype total, const QString& name);

Q_SIGNALS:
    void cancelled();

protected:
    // Closing the window or Escape asks to stop, as Cancel does; it closes when the work ends.
    void reject() override;

private:
    QLabel* m_count;
    QLabel* m_name;
    QProgressBar* m_bar;
};

} // namespace corvane
