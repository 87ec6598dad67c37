// SPDX-License-Identifier: GPL-3.0-or-later
#include "names/SpacingTransforms.h"

#include "names/NameLimits.h"

namespace corvane {

QString UnderscoresToSpaces(QString name) {
    EnsureFits(name);
    return name.replace(u'_', u' ');
}

QString SpacesAroundDashes(QString name) {
    EnsureFits(name);
    if (name.indexOf(u'-', 1) < 0)
        return name;

    // At most one space on each side of every dash.
    QString spaced(name.size() * 3, Qt::Uninitialized);
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
