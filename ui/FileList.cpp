// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FileList.h"

#include "files/FolderContents.h"
#include "ui/FileListModel.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QToolTip>
#include <QtConcurrentRun>

namespace corvane {

FileList::FileList(const DriveTable& drives, QWidget* parent)
    : QListView(parent), m_drives(drives), m_model(new FileListModel(this)) {
    setUniformItemSizes(true);
    setEditTriggers(NoEditTriggers);
    setModel(m_model);
    m_previewTimer.setSingleShot(true);
    connect(&m_previewTimer, &QTimer::timeout, this, &FileList::startPreview);
    connect(&m_making, &QFutureWatcher<QList<RenamePlan>>::finished, this, &FileList::previewMade);
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

void FileList::setOptionsSource(OptionsSource options) {
    m_options = std::move(options);
    updatePreview();
}

void FileList::updatePreview() {
    if (!m_options)
        return;
    ++m_wanted;
    // Keystrokes that come together are one change.
    m_previewTimer.start(0);
}

void FileList::startPreview() {
    if (m_making.isRunning() || m_shown == m_wanted)
        return;
    m_makingFor = m_wanted;
    m_making.setFuture(
        QtConcurrent::run([names = m_model->names(), listing = m_listing, options = m_options()] {
            return PlanBatch(names, listing.entries, listing.rules, options);
        }));
}

void FileList::previewMade() {
    if (m_makingFor == m_wanted && m_shown != m_wanted)
        showPlans(m_making.result());
    // Marks for options since changed are dropped; those of now are made next.
    startPreview();
}

void FileList::previewNow() {
    m_previewTimer.stop();
    if (!m_options || m_shown == m_wanted)
        return;
    // The marks of now already being made are waited for rather than made a second time.
    if (m_making.isRunning() && m_makingFor == m_wanted) {
        m_making.waitForFinished();
        showPlans(m_making.result());
        return;
    }
    showPlans(PlanBatch(m_model->names(), m_listing.entries, m_listing.rules, m_options()));
}

void FileList::showPlans(QList<RenamePlan> plans) {
    m_model->setPlans(std::move(plans));
    m_shown = m_wanted;
    Q_EMIT marksShown();
}

QList<RenamePlan> FileList::plans() {
    previewNow();
    return m_model->plans();
}

void FileList::showName(const QString& name) {
    const qsizetype row = names().indexOf(name);
    if (row < 0)
        return;
    setCurrentIndex(m_model->index(int(row)));
    scrollTo(currentIndex(), PositionAtCenter);
}

void FileList::showMark(const QModelIndex& index) {
    QToolTip::showText(viewport()->mapToGlobal(visualRect(index).bottomLeft()),
                       index.data(Qt::ToolTipRole).toString(), viewport(), visualRect(index));
}

void FileList::goToNextStop() {
    previewNow();
    const QList<RenamePlan>& plans = m_model->plans();
    const qsizetype count = plans.size();
    const qsizetype from = currentIndex().isValid() ? currentIndex().row() + 1 : 0;
    for (qsizetype step = 0; step < count; ++step) {
        const qsizetype row = (from + step) % count;
        const PreviewMark mark = plans.at(row).mark;
        if (mark != PreviewMark::Unchanged && mark != PreviewMark::Changes) {
            showName(plans.at(row).name);
            showMark(currentIndex());
            return;
        }
    }
}

void FileList::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool markAsked = event->key() == Qt::Key_F1 && event->modifiers() == Qt::ShiftModifier;
    if (enter && currentIndex().isValid()) {
        Q_EMIT doubleClicked(currentIndex());
    } else if (event->key() == Qt::Key_F8 && event->modifiers() == Qt::NoModifier) {
        goToNextStop();
    } else if (markAsked && currentIndex().isValid()) {
        previewNow();
        showMark(currentIndex());
    } else {
        QListView::keyPressEvent(event);
    }
}

bool FileList::viewportEvent(QEvent* event) {
    // A tooltip asked for before the marks caught up shows the options of now.
    if (event->type() == QEvent::ToolTip)
        previewNow();
    return QListView::viewportEvent(event);
}

} // namespace corvane
