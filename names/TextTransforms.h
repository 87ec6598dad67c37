// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

namespace corvane {

// Deletes every character listed in `characters` (without its outer spaces) from the name.
QString RemoveCharacters(QString name, QStringView characters);

// Replaces every occurrence of `search` by `replacement`, left to right, without overlapping
// and without searching inserted text again. An empty `search` leaves the name unchanged.
QString ReplaceText(QString name, const QString& search, const QString& replacement);

} // namespace corvane
