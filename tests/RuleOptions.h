// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "names/RenameOptions.h"

#include <QStringList>

// Rule options from words such as "Check3 Option1 Text3=feat.": "CheckN" ticks a box ("CheckN=2"
// greys it, "CheckN=0" clears it), "OptionN" chooses that case option ("Option0"
// none: only the first letter is raised), "TextN=..." fills a field.
// The rest keep the window's start values, or after "alone" every box is clear.
inline corvane::RenameOptions Rules(const QString& words) {
    corvane::RenameOptions options;
    int* const boxes[] = {&options.Check1, &options.Check2, &options.Check3,
                          &options.Check4, &options.Check5, &options.Check6};
    bool* const cases[] = {&options.Option1, &options.Option2, &options.Option3, &options.Option4};
    QString* const texts[] = {nullptr, &options.Text2, &options.Text3, &options.Text4};
    for (const QString& word : words.split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype equals = word.indexOf(u'=');
        const QString value = equals < 0 ? QString() : word.sliced(equals + 1);
        const int n = word.at(equals < 0 ? word.size() - 1 : equals - 1).digitValue() - 1;
        if (word == u"alone") {
            for (int* box : boxes)
                *box = corvane::Unchecked;
        } else if (word.startsWith(u"Check")) {
            *boxes[n] = equals < 0 ? corvane::Checked : value.toInt();
        } else if (word.startsWith(u"Option")) {
            for (bool* chosen : cases)
                *chosen = false;
            if (n >= 0)
                *cases[n] = true;
        } else if (word.startsWith(u"Text")) {
            *texts[n] = value;
        }
    }
    return options;
}
