// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/CaseTransforms.h"

#include "names/CaseMapping.h"
#include "names/Characters.h"
#include "names/NameLimits.h"

namespace corvane {

QString MakeProperCase(QString name, CaseLanguage language) {
    EnsureFits(name);
    const qsizetype length = name.size();
    for (qsizetype p = 0; p + 1 < length; ++p) {
        if (name.at(p) == u' ')
            MapCase(name, p + 1, CharacterEnd(name, p + 1), LetterCase::Upper, language);
    }
    return name;
}

QString UpperCaseAfterDash(QString name, CaseLanguage language) {
    EnsureFits(name);
    const qsizetype dash = name.indexOf(u'-');
    if (dash < 0)
        return name;
    // The first character up, up to the character after the dash down, the second character
    // after the dash up, the rest down.
    const qsizetype firstEnd = CharacterEnd(name, 0);
    const qsizetype raised = CharacterEnd(name, dash + 1);
    const qsizetype raisedEnd = CharacterEnd(name, raised);
    MapCase(name, 0, firstEnd, LetterCase::Upper, language);
    MapCase(name, firstEnd, raised, LetterCase::Lower, language);
    MapCase(name, raised, raisedEnd, LetterCase::Upper, language);
    MapCase(name, raisedEnd, name.size(), LetterCase::Lower, language);
    return name;
}

} // namespace corvane
