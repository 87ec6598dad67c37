// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MountWatcher.h"

#include <QSocketNotifier>
#include <fcntl.h>
#include <unistd.h>

namespace corvane {

MountWatcher::MountWatcher(const QByteArray& mountsFile, QObject* parent) : QObject(parent) {
    m_fd = ::open(mountsFile.constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return;
    m_notifier = new QSocketNotifier(qintptr(m_fd), QSocketNotifier::Exception, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &MountWatcher::mountsChanged);
}

MountWatcher::~MountWatcher() {
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace corvane
