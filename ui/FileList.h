#pragma once

#include "platform/DriveTable.h"
#include "platform/EntryId.h"
#include "platform/FileErrorCode.h"

#include <QListWidget>
#include <functional>
#include <optional>

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
    // Why the folder could not be listed at the last reading; 0 when it could.
    FileErrorCode listingCode() const { return m_listingCode; }
    // Which folder the names were listed from.
    std::optional<EntryId> listedFolder() const { return m_listedFolder; }

    // What hovering an entry shows: the name the batch would give it.
    void setPreview(std::function<QString(const QString&)> preview);

protected:
    bool viewportEvent(QEvent* event) override;
    // Enter on a name does what a double-click does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    const DriveTable& m_drives;
    QString m_folder;
    QString m_pattern = QStringLiteral("*.*");
    QStringList m_names;
    FileErrorCode m_listingCode = kNoError;
    std::optional<EntryId> m_listedFolder;
    std::function<QString(const QString&)> m_preview;
};

} // namespace corvane
