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
    m_plans.clear();
    endResetModel();
}

void FileListModel::setPlans(QList<RenamePlan> plans) {
    if (plans.size() != m_names.size())
        return;
    m_plans = std::move(plans);
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
    if (m_plans.isEmpty())
        return {};
    const RenamePlan& previewed = m_plans.at(row);
    switch (role) {
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
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
