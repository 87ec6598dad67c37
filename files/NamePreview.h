#pragma once

#include "names/RenameOptions.h"

#include <QString>

namespace corvane {

// The name the batch would give a file, for the tooltip; empty where the rules would overflow.
QString PreviewName(const QString& name, const RenameOptions& options);

} // namespace corvane
