// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FolderContents.h"
#include "files/RenamePlan.h"
#include "platform/DriveTable.h"

#include <QListView>
#include <QTimer>
#include <functional>

namespace corvane {

class FileListModel;

// The file list: the plain files of a folder that match the pattern, in file list order, each
// marked with what the batch would do with it. The folder is read when it is set or refreshed;
// a new pattern narrows what was read.
class FileList : public QListView {
    Q_OBJECT

public:
    using Planner =
        std::function<QList<RenamePlan>(const QStringList& names, const FolderListing& listing)>;

    FileList(const DriveTable& drives, QWidget* parent);

    void setFolder(const QString& folder);
    void setPattern(const QString& pattern);
    // Reads the folder again, keeping the chosen name and the scroll position.
    void refresh();

    const QStringList& names() const;
    // The chosen name; empty when none is.
    QString currentName() const;
    // Why the folder could not be listed at the last reading; 0 when it could.
    FileErrorCode listingCode() const { return m_listing.code; }
    // Which folder the names were listed from.
    std::optional<EntryId> listedFolder() const { return m_listing.folder; }
    // Whether the folder is on a network or FUSE volume, whose changes by others the kernel
    // does not report.
    bool unwatched() const { return m_listing.rules.unwatched; }

    // What the batch would do with the names; asked again after `updatePreview`.
    void setPlanner(Planner planner);
    // The options changed: the marks follow once the window is idle.
    void updatePreview();
    // The plans the marks show, made now if the options changed since: what the batch carries out.
    QList<RenamePlan> plans();

protected:
    bool viewportEvent(QEvent* event) override;
    // Enter on a name does what a double-click does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showMatching();
    void preview();

    const DriveTable& m_drives;
    QString m_folder;
    QString m_pattern = QStringLiteral("*.*");
    FolderListing m_listing;
    FileListModel* m_model;
    Planner m_planner;
    QTimer m_previewTimer;
};

} // namespace corvane
