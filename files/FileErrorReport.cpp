// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileErrorReport.h"

namespace corvane {
namespace {

FileErrorReport CodeReport(FileErrorCode code) {
    switch (code) {
    case kNoError:
        return {};
    case kFileNotFound:
        return {QStringLiteral("Can't find file!")};
    case kFileExists:
    case kAccessDenied:
        return {QStringLiteral("Files are read only!")};
    case kDeviceUnavailable:
        return {QStringLiteral("Choose proper drive!"), true};
    case kDiskNotReady:
    case kPathNotFound:
        return {QStringLiteral("CD-ROM is not ready!")};
    case kNameTooLong:
        return {QStringLiteral("Name is too long!")};
    case kBadFileName:
        return {QStringLiteral("Bad file name!")};
    case kDeviceIoError:
        return {QStringLiteral("Device I/O error!")};
    case kDiskFull:
        return {QStringLiteral("Disk is full!")};
    case kLogUnreadable:
        return {QStringLiteral("The undo log is damaged!")};
    case kLogNotAFile:
        return {QStringLiteral("The undo log is not a plain file: nothing was touched!")};
    case kFolderReplaced:
        return {QStringLiteral("The folder was moved or replaced: nothing was renamed!")};
    case kLogReplaced:
        return {QStringLiteral(
            "The undo log was rewritten, by another window perhaps: nothing was undone!")};
    case kLogTooLarge:
        return {
            QStringLiteral("The undo log is larger than any batch writes: nothing was undone!")};
    case kLogInUse:
        return {QStringLiteral(
            "The undo log is in use by a batch in another window: nothing was renamed!")};
    case kOwnFiles:
        return {QStringLiteral("This folder holds Corvane's own files: nothing was renamed!")};
    case kVolumeCaches:
        return {QStringLiteral("This volume keeps its own list of the folder and could replace a "
                               "file put there from another machine: nothing was renamed!")};
    default:
        return {QStringLiteral("Unexpected error %1!").arg(int(code))};
    }
}

} // namespace

FileErrorReport ReportFor(FileErrorCode code, const StrandedFile& stranded) {
    FileErrorReport report = CodeReport(code);
    if (!stranded.leftAs.isEmpty())
        report.message +=
            u"\n\n"_qs +
            QStringLiteral("\"%1\" is left as \"%2\".").arg(stranded.name, stranded.leftAs);
    return report;
}

} // namespace corvane
