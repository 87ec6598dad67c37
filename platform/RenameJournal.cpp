// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RenameJournal.h"

#include <fcntl.h>

namespace corvane {
namespace {

constexpr char kEntryMark = 'P';
constexpr char kEntryEnd = '\n';

// Fields end with NUL, which no host path holds.
QByteArray Field(const QByteArray& value) {
    return value + '\0';
}

} // namespace

QByteArray FormatPendingRename(const PendingRename& rename) {
    return kEntryMark + Field(rename.folder) + Field(rename.from) + Field(rename.to) +
           Field(rename.aside) + kEntryEnd;
}

QList<PendingRename> ParsePendingRenames(QByteArrayView bytes) {
    QList<PendingRename> renames;
    qsizetype p = 0;
    while (p < bytes.size() && bytes.at(p) == kEntryMark) {
        QByteArray fields[4];
        qsizetype next = p + 1;
        bool whole = true;
        for (QByteArray& field : fields) {
            const qsizetype end = bytes.indexOf('\0', next);
            whole = end >= 0;
            if (!whole)
                break;
            field = bytes.sliced(next, end - next).toByteArray();
            next = end + 1;
        }
        if (!whole || next >= bytes.size() || bytes.at(next) != kEntryEnd)
            break;
        renames.append({fields[0], fields[1], fields[2], fields[3]});
        p = next + 1;
    }
    return renames;
}

RenameJournal::RenameJournal(const SystemCalls& system, QByteArray path)
    : m_system(system), m_path(std::move(path)) {}

RenameJournal::~RenameJournal() {
    end();
}

SysResult RenameJournal::begin(const PendingRename& rename) {
    end();
    const SysResult opened =
        m_system.open(AT_FDCWD, m_path, O_RDWR | O_CREAT | O_APPEND | O_NOFOLLOW);
    if (!opened.ok())
        return opened;
    struct stat info {};
    SysResult ready = m_system.lock(opened.fd(), true);
    if (ready.ok())
        ready = m_system.status(opened.fd(), {}, info);
    if (!ready.ok()) {
        // Nothing was written to lose in a failed close; the step is refused either way.
        m_system.close(opened.fd());
        return ready;
    }
    m_fd = opened.fd();
    m_base = info.st_size;
    SysResult written = WriteWhole(m_system, m_fd, FormatPendingRename(rename), m_base);
    // On the disk before the first step: a power cut must not leave a step without its entry.
    if (written.ok())
        written = m_system.sync(m_fd);
    if (!written.ok())
        end();
    return written;
}

void RenameJournal::end() {
    if (m_fd < 0)
        return;
    // An entry that stays by a failed cut is harmless: recovery finds its file under one name
    // and drops it.
    m_system.truncate(m_fd, m_base);
    keep();
}

void RenameJournal::keep() {
    if (m_fd < 0)
        return;
    // The entry was written before the step began; closing only lets go of the lock.
    m_system.close(m_fd);
    m_fd = -1;
}

} // namespace corvane
