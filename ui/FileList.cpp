#include "ui/FileList.h"

#include "platform/FilePattern.h"
#include "platform/FolderListing.h"

#include <QHelpEvent>

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
    // A folder that cannot be listed shows no files.
    m_names = ListFiles(m_drives, m_folder, FilePattern(m_pattern)).names;
    clear();
    addItems(m_names);
}

void FileList::setPreview(std::function<QString(const QString&)> preview) {
    m_preview = std::move(preview);
}

bool FileList::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip && m_preview) {
        if (QListWidgetItem* item = itemAt(static_cast<QHelpEvent*>(event)->pos()))
            item->setToolTip(m_preview(item->text()));
    }
    return QListWidget::viewportEvent(event);
}

} // namespace corvane
