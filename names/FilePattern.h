// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace corvane {

// A file list pattern: "*" and "?" wildcards, letter case ignored, several patterns separated
// by ";" ("*.mp3;*.ogg"). An empty pattern matches every name; a pattern with a folder or
// drive part matches none.
class FilePattern {
public:
    explicit FilePattern(QStringView text);

    bool matches(QStringView name) const;

private:
    QList<QString> m_globs; // case-folded
    bool m_matchesNothing = false;
};

} // namespace corvane
