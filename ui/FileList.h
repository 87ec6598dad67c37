#pragma once

#include "platform/DriveTable.h"

#include <QListWidget>
#include <functional>

namespace corvane {

// The file list: the plain files of a folder that match the pattern, in file list order.
class FileList : public QListWidget {
    Q_OBJECT

public:
    FileList(const DriveTable& drives, QWidget* parent);

    void setFolder(const QString& folder);
    void setPattern(const QString& pattern);
    // Reads the folder again.
    void refresh();

    const QStringList& names() const { return m_names; }

    // What hovering an entry shows: the name the batch would give it.
    void setPreview(std::function<QString(const QString&)> preview);

protected:
    bool viewportEvent(QEvent* event) override;

private:
    const DriveTable& m_drives;
    QString m_folder;
    QString m_pattern = QStringLiteral("*.*");
    QStringList m_names;
    std::function<QString(const QString&)> m_preview;
};

} // namespace corvane
