#include "ui/FileList.h"

#include "files/FolderContents.h"

#include <QHelpEvent>
#include <QKeyEvent>

namespace corvane {

FileList::FileList(const DriveTable& drives, QWidget* parent)
    : QListWidget(parent), m_drives(drives) {
    setUniformItemSizes(true);
}

void FileList::setFolder(const QString& folder) {
    m_folder = folder;
    refresh();
}

void FileList::setPattern(const QString& pattern) {
    if (pattern == m_pattern)
        return;
    m_pattern = pattern;
    refresh();
}

void FileList::refresh() {
    // A folder that cannot be listed shows no files, and keeps why.
    FolderListing listing = ListedFiles(m_drives, m_folder, m_pattern);
    m_names = std::move(listing.names);
    m_listingCode = listing.code;
    m_listedFolder = listing.folder;
    clear();
    addItems(m_names);
}

void FileList::setPreview(std::function<QString(const QString&)> preview) {
    m_preview = std::move(preview);
}

void FileList::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && currentItem() != nullptr)
        Q_EMIT itemDoubleClicked(currentItem());
    else
        QListWidget::keyPressEvent(event);
}

bool FileList::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip && m_preview) {
        if (QListWidgetItem* item = itemAt(static_cast<QHelpEvent*>(event)->pos()))
            item->setToolTip(m_preview(item->text()));
    }
    return QListWidget::viewportEvent(event);
}

} // namespace corvane
