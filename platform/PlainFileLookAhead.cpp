// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PlainFileLookAhead.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace corvane {

bool IsPlainFileOrLink(const SystemCalls& system, int folder, const QByteArray& name) {
    struct stat entry {};
    const SysResult status = system.status(folder, name, entry);
    if (status.ok())
        return S_ISREG(entry.st_mode);
    return status.error == ENOENT && system.linkStatus(folder, name, entry).ok() &&
           S_ISLNK(entry.st_mode);
}

PlainFileLookAhead::PlainFileLookAhead(const SystemCalls& system, int folder,
                                       QList<const QByteArray*> names)
    : m_system(system), m_folder(folder), m_names(std::move(names)),
      m_plain(std::make_unique<bool[]>(size_t(m_names.size()))),
      m_thread([this](std::stop_token stop) {
          for (qsizetype i = 0; i < m_names.size() && !stop.stop_requested(); ++i) {
              m_plain[size_t(i)] = IsPlainFileOrLink(m_system, m_folder, *m_names.at(i));
              m_looked.store(i + 1, std::memory_order_release);
              m_looked.notify_one();
          }
      }) {}

std::optional<bool> PlainFileLookAhead::answerFor(const QByteArray& name) {
    const auto ahead = m_names.cbegin() + m_asked;
    const auto found = std::find(ahead, m_names.cend(), &name);
    if (found == m_names.cend())
        return std::nullopt;
    const qsizetype at = found - m_names.cbegin();
    m_asked = at + 1;
    // The count is read again only once the renames catch up with the last one read: it sits on
    // a line the other core writes a look at a time.
    while (m_seen <= at) {
        m_looked.wait(m_seen, std::memory_order_acquire);
        m_seen = m_looked.load(std::memory_order_acquire);
    }
    return m_plain[size_t(at)];
}

} // namespace corvane
