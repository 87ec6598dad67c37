// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FolderList.h"

#include "files/FolderContents.h"

#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace corvane {
namespace {

constexpr int kLevelRole = Qt::UserRole;
constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 10;

// Shifts each entry right by its depth below the drive's root.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem indented = option;
        indented.rect.setLeft(option.rect.left() + index.data(kLevelRole).toInt() * kIndentPixels);
        QStyledItemDelegate::paint(painter, indented, index);
    }
};

QString Child(const QString& folder, const QString& name) {
    return folder.endsWith(u'\\') ? QString(folder + name) : QString(folder + u'\\' + name);
}

} // namespace

FolderList::FolderList(const DriveTable& drives, QWidget* parent)
    : QListWidget(parent), m_drives(drives) {
    setItemDelegate(new IndentDelegate(this));
    connect(this, &QListWidget::itemActivated, this, [this](const QListWidgetItem* item) {
        const QString path = item->data(kPathRole).toString();
        if (path.isEmpty())
            Q_EMIT folderRefused(kBadFileName);
        else
            setPath(path);
    });
}

void FolderList::setPath(const QString& path) {
    if (path == m_path)
        return;
    m_path = path;
    showPath();
    Q_EMIT pathChanged();
}

void FolderList::refresh() {
    const QListWidgetItem* chosen = currentItem();
    const QString chosenPath = chosen ? chosen->data(kPathRole).toString() : QString();
    const QString chosenText = chosen ? chosen->text() : QString();
    const int scrolled = verticalScrollBar()->value();
    showPath();
    for (int row = 0; row < count(); ++row) {
        if (item(row)->text() == chosenText && item(row)->data(kPathRole) == chosenPath)
            setCurrentRow(row);
    }
    verticalScrollBar()->setValue(scrolled);
}

void FolderList::showPath() {
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const auto add = [this](const QIcon& icon, const QString& text, const QString& path,
                            int level) {
        auto* item = new QListWidgetItem(icon, text, this);
        item->setData(kLevelRole, level);
        item->setData(kPathRole, path);
        return item;
    };

    QString folder = m_path.left(2) + u'\\';
    QListWidgetItem* current = add(open, folder, folder, 0);
    const QStringList parts = m_path.mid(3).split(u'\\', Qt::SkipEmptyParts);
    for (int level = 1; level <= parts.size(); ++level) {
        folder = Child(folder, parts.at(level - 1));
        current = add(open, parts.at(level - 1), folder, level);
    }
    // A "\" in a folder's name would split its drive path: the folder is shown, not opened.
    for (const QString& name : ListedFolders(m_drives, m_path).names)
        add(closed, name, name.contains(u'\\') ? QString() : Child(m_path, name),
            int(parts.size()) + 1);
    setCurrentItem(current);
}

} // namespace corvane
