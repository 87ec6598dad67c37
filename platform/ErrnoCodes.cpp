// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ErrnoCodes.h"

#include <cerrno>

namespace corvane {

FileErrorCode CodeForErrno(int error, FileErrorCode missingCode) {
    switch (error) {
    case 0:
        return kNoError;
    case ENOENT:
        return missingCode;
    case ENOTDIR:
        return kPathNotFound;
    case EEXIST:
    case ENOTEMPTY:
        return kFileExists;
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY:
        return kAccessDenied;
    case ENOMEDIUM:
        return kDiskNotReady;
    case ENODEV:
    case ENXIO:
        return kDeviceUnavailable;
    case ENOSPC:
    case EDQUOT:
        return kDiskFull;
    case ENAMETOOLONG:
    case EINVAL:
        return kBadFileName;
    default:
        return kDeviceIoError;
    }
}

} // namespace corvane
