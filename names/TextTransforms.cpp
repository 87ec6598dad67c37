// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/TextTransforms.h"

#include "names/Characters.h"
#include "names/NameLimits.h"
#include "names/PipelineSteps.h"

#include <algorithm>

namespace corvane {
namespace {

qsizetype CharacterLength(QStringView text, qsizetype p) {
    return CharacterEnd(text, p) - p;
}

bool IsListed(QStringView characters, QStringView character) {
    if (character.size() == 1 && !character.front().isSurrogate()) {
        const QChar c = character.front();
        return std::find(characters.begin(), characters.end(), c) != characters.end();
    }
    for (qsizetype p = 0; p < characters.size(); p += CharacterLength(characters, p)) {
        if (characters.sliced(p, CharacterLength(characters, p)) == character)
            return true;
    }
    return false;
}

} // namespace

QString RemoveCharacters(QString name, QStringView characters) {
    EnsureFits(name);
    const QStringView listed = TrimmedSpaces(characters);
    EnsureFits(listed);
    if (listed.isEmpty())
        return name;
    // Most names hold none of the characters: a scan per character is far cheaper than the loop.
    const bool onlySingleUnits =
        std::none_of(listed.begin(), listed.end(), [](QChar c) { return c.isSurrogate(); });
    if (onlySingleUnits &&
        std::none_of(listed.begin(), listed.end(), [&](QChar c) { return name.contains(c); }))
        return name;

    QChar* units = name.data();
    const qsizetype size = name.size();
    qsizetype kept = 0;
    for (qsizetype p = 0; p < size;) {
        const qsizetype length = units[p].isSurrogate() ? CharacterLength(name, p) : 1;
        if (!IsListed(listed, QStringView(units + p, length))) {
            std::copy_n(units + p, length, units + kept);
            kept += length;
        }
        p += length;
    }
    name.truncate(kept);
    return name;
}

QString ReplaceText(QString name, const QString& search, const QString& replacement) {
    EnsureFits(name);
    EnsureFits(search);
    // Most names hold no such text: a search is far cheaper than the replace's own set-up.
    if (search.isEmpty() || !name.contains(search))
        return name;
    name.replace(search, replacement);
    EnsureFits(name);
    return name;
}

} // namespace corvane
