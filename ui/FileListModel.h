// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/RenamePlan.h"

#include <QAbstractListModel>
#include <QIcon>
#include <QStringList>
#include <array>

namespace corvane {

// The names of the file list, each with what the batch would make of it: the new name as its
// tooltip and a mark beside it.
class FileListModel : public QAbstractListModel {
    Q_OBJECT

public:
    // The PreviewMark of a row, as an int.
    static constexpr int MarkRole = Qt::UserRole;

    explicit FileListModel(QObject* parent);

    const QStringList& names() const { return m_names; }
    // New names, the preview cleared until it is set again.
    void setNames(QStringList names);
    // One plan a name, in the names' order.
    void setPlans(QList<RenamePlan> plans);
    const QList<RenamePlan>& plans() const { return m_plans; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QStringList m_names;
    QList<RenamePlan> m_plans;
    std::array<QIcon, 5> m_marks; // by PreviewMark
};

} // namespace corvane
