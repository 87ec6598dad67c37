// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DriveTable.h"
#include "platform/FileErrorCode.h"

#include <QListWidget>

namespace corvane {

// The folder list: the folders from the drive's root down to the current one, open and
// indented, then the current folder's subfolders. A double-click or Enter opens one.
class FolderList : public QListWidget {
    Q_OBJECT

public:
    FolderList(const DriveTable& drives, QWidget* parent);

    // A drive path such as "c:\Music"; a drive's root ends in "\".
    const QString& path() const { return m_path; }
    // Emits pathChanged before it returns when the path changes.
    void setPath(const QString& path);
    // Reads the subfolders again, keeping the chosen folder and the scroll position.
    void refresh();

Q_SIGNALS:
    void pathChanged();
    // A folder that cannot be opened by a drive path: its name holds "\", which would lead to
    // another folder.
    void folderRefused(FileErrorCode code);

private:
    void showPath();

    const DriveTable& m_drives;
    QString m_path;
};

} // namespace corvane
