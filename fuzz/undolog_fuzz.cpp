// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the undo log reader. Whatever it reads back, written again, is the log it
// read: exactly, or the part before the first record it could not read. Read as it comes from
// the disk, a byte at a time, it reads the same as whole.

#include "files/UndoLog.h"
#include "platform/NameCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(data, qsizetype(size));
    const UndoLogContents log = ParseUndoLog(bytes);
    UndoLogParser parser;
    for (const char byte : bytes)
        parser.feed(QByteArrayView(&byte, 1));
    const UndoLogContents asItCame = parser.finish();
    if (asItCame.code != log.code || asItCame.records != log.records)
        std::abort();
    QByteArray written;
    for (const UndoRecord& record : log.records) {
        const std::optional<QByteArray> newName = EncodeName(record.newName);
        const std::optional<QByteArray> oldName = EncodeName(record.oldName);
        if (!newName || !oldName || !LogCanCarry(*newName) || !LogCanCarry(*oldName))
            std::abort();
        written += UndoRecordBytes(*newName, *oldName).view();
    }
    // The last record may lack its line end.
    const bool same = written == bytes || written == QByteArray(bytes.toByteArray() + "\r\n");
    const bool prefix = bytes.startsWith(written);
    if (log.code == kNoError ? !same : !prefix)
        std::abort();
    return 0;
}
