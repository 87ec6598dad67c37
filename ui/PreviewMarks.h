// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/RenamePlan.h"

#include <QIcon>
#include <QString>

namespace corvane {

// The mark beside a name in the file list: an arrow where the batch renames it, a red sign where
// it would stop, nothing where the name stays.
QIcon PreviewMarkIcon(PreviewMark mark);

// The tooltip: the new name, with why the batch would stop there.
QString PreviewTip(const RenamePlan& previewed);

} // namespace corvane
