// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "names/RenameOptions.h"

#include <QString>

// The name rules written out step by step, one code point a character and 1-based positions,
// to hold the pipeline against.
QString OracleNewName(const QString& name, const corvane::RenameOptions& options);
