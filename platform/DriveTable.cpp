// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DriveTable.h"

#include "platform/HostPaths.h"
#include "platform/NameCodec.h"

namespace corvane {
DriveTable::DriveTable(QList<Drive> drives, QByteArray stateFolder, const SystemCalls& system)
    : m_drives(std::move(drives)), m_stateFolder(std::move(stateFolder)), m_system(&system) {}

const Drive* DriveTable::find(QChar letter) const {
    const QChar lower = letter.toLower();
    for (const Drive& drive : m_drives) {
        if (drive.letter == lower)
            return &drive;
    }
    return nullptr;
}

FileErrorCode DriveTable::readiness(QChar letter) const {
    const Drive* drive = find(letter);
    if (drive == nullptr)
        return kDeviceUnavailable;
    if (drive->root.isEmpty())
        return kDiskNotReady;
    return IsFolder(*m_system, drive->root) ? kNoError : kDeviceUnavailable;
}

std::optional<QByteArray> DriveTable::hostPath(QStringView drivePath) const {
    if (drivePath.size() < 2 || drivePath.at(1) != u':')
        return std::nullopt;
    const Drive* drive = find(drivePath.at(0));
    if (drive == nullptr || drive->root.isEmpty())
        return std::nullopt;

    QByteArray host = drive->root;
    const QList<QStringView> parts = drivePath.sliced(2).split(u'\\', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QStringView part = parts.at(i);
        // Every system drive has its windows folder: here it is the application's state.
        if (i == 0 && drive->letter == u'c' && part.compare(u"windows", Qt::CaseInsensitive) == 0) {
            host = m_stateFolder;
            continue;
        }
        const std::optional<QByteArray> bytes = EncodeName(part);
        if (!IsEntryName(part) || !bytes)
            return std::nullopt;
        if (!host.endsWith('/'))
            host += '/';
        host += *bytes;
    }
    return host;
}

bool DriveTable::isStateFolder(const EntryId& folder) const {
    struct stat info {};
    return m_system->status(AT_FDCWD, m_stateFolder, info).ok() && EntryId::Of(info) == folder;
}

DriveTable::Resolved DriveTable::resolve(QStringView drivePath) const {
    Resolved resolved{hostPath(drivePath)};
    if (!resolved.host) {
        const FileErrorCode drive =
            drivePath.isEmpty() ? kDeviceUnavailable : readiness(drivePath.at(0));
        resolved.code = drive != kNoError ? drive : kPathNotFound;
    }
    return resolved;
}

} // namespace corvane
