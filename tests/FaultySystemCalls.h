#pragma once

#include "platform/SystemCalls.h"

// The real system calls, but the n-th rename or write (counted from 1) fails with a chosen
// errno, or every rename is slowed down.
class FaultySystemCalls : public corvane::SystemCalls {
public:
    int failRenameAt = 0;
    int renameError = 0;
    int failWriteAt = 0;
    int writeError = 0;
    int renameDelayMicroseconds = 0;

    int renameNoReplace(const QByteArray& from, const QByteArray& to) const override;
    ssize_t write(int fd, const char* data, size_t size) const override;

private:
    mutable int m_renames = 0;
    mutable int m_writes = 0;
};
