// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FileListModel.h"

#include "ui/PreviewMarks.h"

namespace corvane {

FileListModel::FileListModel(QObject* parent) : QAbstractListModel(parent) {
    for (const PreviewMark mark : {PreviewMark::Unchanged, PreviewMark::Changes, PreviewMark::Taken,
                                   PreviewMark::Collides, PreviewMark::Refused})
        m_marks.at(size_t(mark)) = PreviewMarkIcon(mark);
}

void FileListModel::setNames(QStringList names) {
    beginResetModel();
    m_names = std::move(names);
    m_preview.clear();
    endResetModel();
}

void FileListModel::setPreview(QList<PreviewedName> preview) {
    if (preview.size() != m_names.size())
        return;
    m_preview = std::move(preview);
    if (!m_names.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_names.size() - 1)));
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_names.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_names.size())
        return {};
    const qsizetype row = index.row();
    if (role == Qt::DisplayRole)
        return m_names.at(row);
    if (m_preview.isEmpty())
        return {};
    const PreviewedName& previewed = m_preview.at(row);
    switch (role) {
    case Qt::ToolTipRole:
        return PreviewTip(previewed);
    case Qt::DecorationRole:
        return m_marks.at(size_t(previewed.mark));
    case MarkRole:
        return int(previewed.mark);
    default:
        return {};
    }
}

} // namespace corvane
