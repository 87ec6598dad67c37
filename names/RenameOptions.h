// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "names/CaseMapping.h"

#include <QLocale>
#include <QString>

namespace corvane {

// The value of a check box: a greyed box counts as ticked.
enum CheckState : int { Unchecked = 0, Checked = 1, Grayed = 2 };

// The rule switches, case choice and texts of the main window, at their designed start values.
struct RenameOptions {
    int Check1 = Checked;   // Replace underscores with spaces
    int Check2 = Checked;   // Replace comma with dash
    int Check3 = Unchecked; // Delete track number
    int Check4 = Unchecked; // Remove characters (Text2)
    int Check5 = Unchecked; // Replace Text3 with Text4
    int Check6 = Checked;   // Spaces around dashes
    bool Option1 = false;   // Change To ProperCase
    bool Option2 = false;   // Change to LowerCase
    bool Option3 = false;   // UpperCase after dash
    bool Option4 = true;    // Don't change Case
    QString Text2 = QStringLiteral("@%&$#~");
    QString Text3;
    QString Text4;
    // The user's number format, which decides whether "1." reads as a track number.
    QString DecimalSeparator = QLocale().decimalPoint();
    // The user's locale, which decides how letters change case.
    CaseLanguage language = SessionCaseLanguage();
};

} // namespace corvane
