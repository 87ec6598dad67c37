// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FileErrorCode.h"
#include "platform/SystemCalls.h"

#include <QByteArray>
#include <QStringView>

// Small helpers of the file operations, on host paths (bytes).

namespace corvane {

// Whether a name can only mean an entry of its own folder: not empty, "." or "..", and free of
// "/" and NUL.
bool IsEntryName(QStringView name);

QByteArray InFolder(const QByteArray& folder, const QByteArray& name);
QByteArray ParentOf(const QByteArray& path);
bool IsFolder(const SystemCalls& system, const QByteArray& path);

// The code for a failed call's errno on a path in `folder`: a missing entry is a missing file
// while the folder exists, else a missing path.
FileErrorCode CodeForFailure(const SystemCalls& system, const SysResult& failure,
                             const QByteArray& folder);

} // namespace corvane
