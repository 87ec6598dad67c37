// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FileList.h"

#include "files/FolderContents.h"
#include "ui/FileListModel.h"

#include <QKeyEvent>
#include <QScrollBar>

namespace corvane {

FileList::FileList(const DriveTable& drives, QWidget* parent)
    : QListView(parent), m_drives(drives), m_model(new FileListModel(this)) {
    setUniformItemSizes(true);
    setEditTriggers(NoEditTriggers);
    setModel(m_model);
    m_previewTimer.setSingleShot(true);
    connect(&m_previewTimer, &QTimer::timeout, this, &FileList::preview);
}

void FileList::setFolder(const QString& folder) {
    m_folder = folder;
    refresh();
}

void FileList::setPattern(const QString& pattern) {
    if (pattern == m_pattern)
        return;
    m_pattern = pattern;
    showMatching();
}

void FileList::refresh() {
    // A folder that cannot be listed shows no files, and keeps why.
    m_listing = ListedFiles(m_drives, m_folder);
    showMatching();
}

void FileList::showMatching() {
    const QString chosen = currentName();
    const int scrolled = verticalScrollBar()->value();
    QStringList matching = MatchingNames(m_listing.names, m_pattern);
    const qsizetype row = chosen.isEmpty() ? -1 : matching.indexOf(chosen);
    m_model->setNames(std::move(matching));
    if (row >= 0)
        setCurrentIndex(m_model->index(int(row)));
    executeDelayedItemsLayout();
    verticalScrollBar()->setValue(scrolled);
    updatePreview();
}

const QStringList& FileList::names() const {
    return m_model->names();
}

QString FileList::currentName() const {
    return currentIndex().isValid() ? currentIndex().data().toString() : QString();
}

void FileList::setPlanner(Planner planner) {
    m_planner = std::move(planner);
    updatePreview();
}

void FileList::updatePreview() {
    if (m_planner)
        m_previewTimer.start(0);
}

void FileList::preview() {
    m_previewTimer.stop();
    m_model->setPlans(m_planner(m_model->names(), m_listing));
}

QList<RenamePlan> FileList::plans() {
    if (m_previewTimer.isActive())
        preview();
    return m_model->plans();
}

void FileList::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && currentIndex().isValid())
        Q_EMIT doubleClicked(currentIndex());
    else
        QListView::keyPressEvent(event);
}

bool FileList::viewportEvent(QEvent* event) {
    // A tooltip asked for before the marks caught up shows the options of now.
    if (event->type() == QEvent::ToolTip && m_previewTimer.isActive())
        preview();
    return QListView::viewportEvent(event);
}

} // namespace corvane
