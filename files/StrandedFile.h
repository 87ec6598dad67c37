// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace corvane {

// A file that a failed step left under another name and could not take back.
struct StrandedFile {
    QString name;   // the name the file had
    QString leftAs; // the name it is left under; empty when nothing is stranded
};

} // namespace corvane
