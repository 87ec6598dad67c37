// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace corvane {

// The modal dialogs the window asks through, so that tests can answer them.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A message box with one OK button and no icon.
    virtual void showMessage(QWidget* parent, const QString& title, const QString& text);

    // A one-line input box; the empty text on Cancel.
    virtual QString askText(QWidget* parent, const QString& title, const QString& prompt,
                            const QString& defaultText);
};

} // namespace corvane
