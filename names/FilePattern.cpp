// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/FilePattern.h"

#include <algorithm>

namespace corvane {
namespace {

QChar Folded(QChar c) {
    return c.toCaseFolded();
}

// Wildcard match that returns to the last "*" on a mismatch: linear in practice, never
// exponential.
bool GlobMatches(QStringView glob, QStringView name) {
    qsizetype g = 0;
    qsizetype n = 0;
    qsizetype starGlob = -1;
    qsizetype starName = 0;
    while (n < name.size()) {
        if (g < glob.size() && glob.at(g) == u'*') {
            starGlob = g++;
            starName = n;
        } else if (g < glob.size() && (glob.at(g) == u'?' || glob.at(g) == Folded(name.at(n)))) {
            ++g;
            ++n;
        } else if (starGlob >= 0) {
            g = starGlob + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (g < glob.size() && glob.at(g) == u'*')
        ++g;
    return g == glob.size();
}

} // namespace

FilePattern::FilePattern(QStringView text) {
    for (QStringView part : text.split(u';', Qt::SkipEmptyParts)) {
        part = part.trimmed();
        if (part.contains(u'\\') || part.contains(u'/') || part.contains(u':'))
            m_matchesNothing = true;
        // "*.*" has always meant every file, with an extension or without.
        if (!part.isEmpty())
            m_globs.append(part == u"*.*" ? QStringLiteral("*") : part.toString().toCaseFolded());
    }
}

bool FilePattern::matches(QStringView name) const {
    if (m_matchesNothing)
        return false;
    if (m_globs.isEmpty())
        return true;
    return std::any_of(m_globs.begin(), m_globs.end(),
                       [&](const QString& glob) { return GlobMatches(glob, name); });
}

} // namespace corvane
