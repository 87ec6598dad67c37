// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/SpacingTransforms.h"

#include "names/NameLimits.h"

namespace corvane {

QString UnderscoresToSpaces(QString name) {
    EnsureFits(name);
    return name.replace(u'_', u' ');
}

namespace {

// Whether a dash past the first character lacks its space before or after.
bool HasBareDash(QStringView name) {
    for (qsizetype dash = name.indexOf(u'-', 1); dash >= 0; dash = name.indexOf(u'-', dash + 1)) {
        if (name.at(dash - 1) != u' ' || dash + 1 == name.size() || name.at(dash + 1) != u' ')
            return true;
    }
    return false;
}

} // namespace

QString SpacesAroundDashes(QString name) {
    EnsureFits(name);
    if (!HasBareDash(name))
        return name;

    // At most one space on each side of every dash.
    QString spaced(name.size() + 2 * name.count(u'-'), Qt::Uninitialized);
    QChar* out = spaced.data();
    const qsizetype length = name.size();
    for (qsizetype p = 0; p < length; ++p) {
        const QChar c = name.at(p);
        // A leading dash has nothing before it and is left as it is.
        if (c != u'-' || p == 0) {
            *out++ = c;
            continue;
        }
        // Judged on the name as already spaced, so a run of dashes shares its spaces.
        if (out[-1] != u' ')
            *out++ = u' ';
        *out++ = u'-';
        if (p + 1 == length || name.at(p + 1) != u' ')
            *out++ = u' ';
    }
    spaced.truncate(out - spaced.constData());
    EnsureFits(spaced);
    return spaced;
}

} // namespace corvane
