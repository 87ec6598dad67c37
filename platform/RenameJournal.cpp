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

int RenameJournal::begin(const PendingRename& rename) {
    end();
    const int fd = m_system.open(AT_FDCWD, m_path, O_RDWR | O_CREAT | O_APPEND | O_NOFOLLOW);
    if (fd < 0)
        return fd;
    struct stat info {};
    const int locked = m_system.lock(fd, true);
    if (locked < 0 || ::fstat(fd, &info) != 0) {
        m_system.close(fd);
        return locked < 0 ? locked : -errno;
    }
    m_fd = fd;
    m_base = info.st_size;
    const int written = append(rename);
    if (written < 0)
        end();
    return written;
}

int RenameJournal::update(const PendingRename& rename) {
    if (const int cut = m_system.truncate(m_fd, m_base); cut < 0)
        return cut;
    return append(rename);
}

int RenameJournal::append(const PendingRename& rename) {
    return WriteWhole(m_system, m_fd, FormatPendingRename(rename), m_base);
}

void RenameJournal::end() {
    if (m_fd < 0)
        return;
    m_system.truncate(m_fd, m_base);
    keep();
}

void RenameJournal::keep() {
    if (m_fd < 0)
        return;
    m_system.close(m_fd);
    m_fd = -1;
}

} // namespace corvane
