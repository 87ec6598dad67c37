// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileErrorCode.h"

namespace corvane {

// The code for a failed system call's errno. ENOENT means `missingCode`: kFileNotFound when
// the folder exists, kPathNotFound when it does not.
FileErrorCode CodeForErrno(int error, FileErrorCode missingCode);

} // namespace corvane
