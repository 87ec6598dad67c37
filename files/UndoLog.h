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
#include <QVarLengthArray>
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

// Whether the log can carry a name's bytes: it has no escape, so none may hold a double quote.
inline bool LogCanCarry(QByteArrayView name) {
    return !name.contains('"');
}

// A record's bytes, made where it is used without a heap of its own: `"new","old"` and CR LF,
// of names the log can carry.
class UndoRecordBytes {
public:
    UndoRecordBytes(QByteArrayView newName, QByteArrayView oldName);
    QByteArrayView view() const { return {m_bytes.constData(), m_bytes.size()}; }

private:
    QVarLengthArray<char, 1024> m_bytes;
};

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
