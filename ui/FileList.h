// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/FolderContents.h"
#include "files/RenamePlan.h"
#include "platform/DriveTable.h"

#include <QFutureWatcher>
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
    using OptionsSource = std::function<RenameOptions()>;

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

    // The options the marks follow; asked again after `updatePreview`.
    void setOptionsSource(OptionsSource options);
    // The options changed: the marks follow, made on another thread so that typing never waits;
    // a change that comes meanwhile supersedes them.
    void updatePreview();
    // The plans the marks show, made now if the options changed since: what the batch carries out.
    QList<RenamePlan> plans();
    // Selects a name and scrolls it into sight.
    void showName(const QString& name);

Q_SIGNALS:
    // The marks show the options of now.
    void marksShown();

protected:
    bool viewportEvent(QEvent* event) override;
    // Enter on a name does what a double-click does; F8 goes to the next name the batch would
    // stop on; Shift+F1 shows the chosen name's mark.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showMatching();
    // Starts making the marks for the options of now, unless they are being made already.
    void startPreview();
    void previewMade();
    // The marks of now, made on this thread if they are not shown yet.
    void previewNow();
    void showPlans(QList<RenamePlan> plans);
    void showMark(const QModelIndex& index);
    void goToNextStop();

    const DriveTable& m_drives;
    QString m_folder;
    QString m_pattern = QStringLiteral("*.*");
    FolderListing m_listing;
    FileListModel* m_model;
    OptionsSource m_options;
    QTimer m_previewTimer;
    QFutureWatcher<QList<RenamePlan>> m_making;
    quint64 m_wanted = 0; // counts the changes the marks are to follow
    quint64 m_makingFor = 0;
    quint64 m_shown = 0;
};

} // namespace corvane
