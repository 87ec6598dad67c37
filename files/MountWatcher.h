// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DriveTable.h"

#include <QObject>

class QSocketNotifier;

namespace corvane {

// Tells when a volume is mounted or unmounted: the kernel marks its mount table with an
// exception condition at each change.
class MountWatcher : public QObject {
    Q_OBJECT

public:
    // Watches the mount table the drives follow; tells nothing when they follow none.
    MountWatcher(const DriveTable& drives, QObject* parent);
    ~MountWatcher() override;
    MountWatcher(const MountWatcher&) = delete;
    MountWatcher& operator=(const MountWatcher&) = delete;

Q_SIGNALS:
    void mountsChanged();

private:
    const SystemCalls& m_system;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace corvane
