// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/MountWatcher.h"

#include <QSocketNotifier>
#include <cerrno>

namespace corvane {

MountWatcher::MountWatcher(const DriveTable& drives, QObject* parent)
    : QObject(parent), m_system(drives.system()) {
    // Without a table to watch, the drives stay as they were read.
    const SysResult opened = drives.mountsFile().isEmpty()
                                 ? SysResult::Failed(ENOENT)
                                 : m_system.open(AT_FDCWD, drives.mountsFile(), O_RDONLY);
    if (!opened.ok())
        return;
    m_fd = opened.fd();
    m_notifier = new QSocketNotifier(qintptr(m_fd), QSocketNotifier::Exception, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &MountWatcher::mountsChanged);
}

MountWatcher::~MountWatcher() {
    delete m_notifier;
    // Only watched, never read: a failed close loses nothing.
    if (m_fd >= 0)
        m_system.close(m_fd);
}

} // namespace corvane
