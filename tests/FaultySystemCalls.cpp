#include "FaultySystemCalls.h"

#include <unistd.h>

int FaultySystemCalls::renameNoReplace(const QByteArray& from, const QByteArray& to) const {
    if (renameDelayMicroseconds > 0)
        ::usleep(useconds_t(renameDelayMicroseconds));
    if (++m_renames == failRenameAt)
        return -renameError;
    return SystemCalls::renameNoReplace(from, to);
}

ssize_t FaultySystemCalls::write(int fd, const char* data, size_t size) const {
    if (++m_writes == failWriteAt)
        return -writeError;
    return SystemCalls::write(fd, data, size);
}
