// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/UndoLog.h"

#include "platform/LogFile.h"
#include "platform/NameCodec.h"

namespace corvane {
namespace {

enum class Parsed { Record, NeedMore, CutShort, Broken };

// One record at `p`; `p` is moved past it. Whether `bytes` can still grow decides whether a
// record cut short is broken or waits for more.
Parsed ParseRecord(QByteArrayView bytes, bool final, qsizetype& p, UndoRecord& record) {
    const Parsed shortOf = final ? Parsed::CutShort : Parsed::NeedMore;
    if (bytes.at(p) != '"')
        return Parsed::Broken;
    const qsizetype firstClose = bytes.indexOf('"', p + 1);
    if (firstClose < 0 || firstClose + 2 >= bytes.size())
        return shortOf;
    if (bytes.at(firstClose + 1) != ',' || bytes.at(firstClose + 2) != '"')
        return Parsed::Broken;
    const qsizetype secondClose = bytes.indexOf('"', firstClose + 3);
    if (secondClose < 0)
        return shortOf;
    // The last line end may be missing; any other end is no record.
    const QByteArrayView rest = bytes.sliced(secondClose + 1);
    if (rest.isEmpty() && !final)
        return Parsed::NeedMore;
    if (!rest.isEmpty() && !rest.startsWith("\r\n"))
        return rest == "\r" ? shortOf : Parsed::Broken;
    record = {DecodeName(bytes.sliced(p + 1, firstClose - p - 1)),
              DecodeName(bytes.sliced(firstClose + 3, secondClose - firstClose - 3))};
    p = secondClose + 1 + (rest.isEmpty() ? 0 : 2);
    return Parsed::Record;
}

} // namespace

UndoRecordBytes::UndoRecordBytes(QByteArrayView newName, QByteArrayView oldName) {
    m_bytes.reserve(newName.size() + oldName.size() + 7);
    m_bytes.append('"');
    m_bytes.append(newName.data(), newName.size());
    m_bytes.append("\",\"", 3);
    m_bytes.append(oldName.data(), oldName.size());
    m_bytes.append("\"\r\n", 3);
}

void UndoLogParser::feed(QByteArrayView bytes) {
    if (m_contents.code != kNoError)
        return;
    m_pending.append(bytes);
    parse(false);
}

UndoLogContents UndoLogParser::finish() {
    if (m_contents.code == kNoError)
        parse(true);
    return std::move(m_contents);
}

void UndoLogParser::parse(bool final) {
    qsizetype p = 0;
    UndoRecord record;
    while (p < m_pending.size()) {
        const Parsed parsed = ParseRecord(m_pending, final, p, record);
        if (parsed == Parsed::NeedMore)
            break;
        if (parsed == Parsed::Broken || parsed == Parsed::CutShort) {
            m_cutShort = parsed == Parsed::CutShort;
            m_contents.code = kLogUnreadable;
            m_whole += p;
            m_pending.clear();
            return;
        }
        m_contents.records.append(std::move(record));
    }
    m_pending.remove(0, p);
    m_whole += p;
}

UndoLogContents ParseUndoLog(QByteArrayView bytes) {
    UndoLogParser parser;
    parser.feed(bytes);
    return parser.finish();
}

UndoLogOnDisk ReadUndoLog(const DriveTable& drives, UndoLogParser& parser) {
    QCryptographicHash hash(kUndoLogDigest);
    const FileRead read =
        ReadInPieces(drives, UndoLogPath(), kLargestUndoLog, [&](QByteArrayView piece) {
            hash.addData(piece);
            parser.feed(piece);
        });
    return {read.code, read.id, hash.result()};
}

std::optional<qint64> UnfinishedLogEnd(const DriveTable& drives) {
    UndoLogParser parser;
    qint64 read = 0;
    std::optional<qint64> zeros; // where the growth left zeros: no name holds one
    const auto take = [&](QByteArrayView piece) {
        if (!zeros) {
            const qsizetype zero = piece.indexOf('\0');
            parser.feed(zero < 0 ? piece : piece.first(zero));
            if (zero >= 0)
                zeros = read + zero;
        }
        read += piece.size();
    };
    const FileRead file =
        ReadInPieces(drives, UndoLogPath(), kLargestUndoLog + kLogGrowthStep, take);
    const UndoLogContents contents = parser.finish();
    const bool unfinished = zeros || parser.cutShort();
    if (file.code != kNoError || !unfinished || (contents.code != kNoError && !parser.cutShort()))
        return std::nullopt;
    return parser.wholeBytes();
}

} // namespace corvane
