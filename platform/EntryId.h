// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

namespace corvane {

// Which file or folder an entry is, whatever path leads to it.
struct EntryId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const EntryId&) const = default;

    static EntryId Of(const struct stat& info) { return {info.st_dev, info.st_ino}; }
};

} // namespace corvane
