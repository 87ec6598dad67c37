#include "names/CaseTransforms.h"

#include "names/CaseMapping.h"
#include "names/NameLimits.h"

#include <algorithm>

namespace corvane {

QString MakeProperCase(QString name) {
    EnsureFits(name);
    const qsizetype length = name.size();
    for (qsizetype p = 0; p + 1 < length; ++p) {
        if (name.at(p) == u' ')
            MapCase(name, p + 1, p + 2, LetterCase::Upper);
    }
    return name;
}

QString UpperCaseAfterDash(QString name) {
    EnsureFits(name);
    const qsizetype dash = name.indexOf(u'-');
    if (dash < 0)
        return name;
    // 0-based: the first character up, up to the character after the dash down, the second
    // character after the dash up, the rest down.
    const qsizetype length = name.size();
    const qsizetype raised = std::min(dash + 2, length);
    MapCase(name, 0, 1, LetterCase::Upper);
    MapCase(name, 1, raised, LetterCase::Lower);
    MapCase(name, raised, std::min(raised + 1, length), LetterCase::Upper);
    MapCase(name, std::min(raised + 1, length), length, LetterCase::Lower);
    return name;
}

} // namespace corvane
