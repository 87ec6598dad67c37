// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DriveTable.h"
#include "platform/EntryId.h"
#include "platform/FileErrorCode.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QCryptographicHash>
#include <QList>
#include <QString>
#include <optional>

namespace corvane {

// Where the undo log lives, as the program names it.
inline QString UndoLogPath() {
    return QStringLiteral("c:\\windows\\razveljavi.txt");
}

// The largest log a batch writes: 32,767 records of two names of at most 255 UTF-16 units,
// 1,020 bytes, each.
inline constexpr qsizetype kLargestUndoLog = 32767 * (2 * 1020 + 6);

// One rename of a batch: the name the batch gave the file, and the name it had.
struct UndoRecord {
    QString newName;
    QString oldName;
    bool operator==(const UndoRecord&) const = default;
};

// `"new","old"` and CR LF, the names unescaped through the name codec. The log has no escape:
// nothing when a name holds a double quote, or a character no byte stands for.
std::optional<QByteArray> FormatUndoRecord(const UndoRecord& record);
// The same, of names already encoded.
std::optional<QByteArray> FormatUndoRecord(QByteArrayView newName, QByteArrayView oldName);

struct UndoLogContents {
    FileErrorCode code = kNoError; // kLogUnreadable when a record is cut short or malformed
    QList<UndoRecord> records;     // every whole record before it
};

UndoLogContents ParseUndoLog(QByteArrayView bytes);

class UndoLogParser;

// The log as it is on disk now: which file it is and a digest of its bytes, so that a log
// rewritten since is told apart.
struct UndoLogOnDisk {
    FileErrorCode code = kNoError;
    std::optional<EntryId> id;
    QByteArray digest;
    bool operator==(const UndoLogOnDisk&) const = default;
};

// How a log's bytes are digested.
inline constexpr QCryptographicHash::Algorithm kUndoLogDigest = QCryptographicHash::Blake2b_256;

// Reads the log piece by piece into `parser`.
UndoLogOnDisk ReadUndoLog(const DriveTable& drives, UndoLogParser& parser);

// Where the log should end when a killed batch left more than its whole records there: the
// zeros of a growth not yet cut, or a record cut short. Nothing when it ends where its records
// do, or holds something else.
std::optional<qint64> UnfinishedLogEnd(const DriveTable& drives);

// Reads the log as it comes, so that a long one is never held whole: only its records are.
class UndoLogParser {
public:
    void feed(QByteArrayView bytes);
    // What was read; the last record may lack its line end.
    UndoLogContents finish();
    // After finish(): the bytes of the whole records, and whether the bytes after them are the
    // start of one that ends too soon.
    qint64 wholeBytes() const { return m_whole; }
    bool cutShort() const { return m_cutShort; }

private:
    void parse(bool final);

    QByteArray m_pending; // the start of a record yet to come whole
    UndoLogContents m_contents;
    qint64 m_whole = 0;
    bool m_cutShort = false;
};

} // namespace corvane
