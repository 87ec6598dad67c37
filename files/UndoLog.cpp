#include "files/UndoLog.h"

#include "platform/NameCodec.h"

namespace corvane {
namespace {

// The text between the quote at `open` and the next quote; `next` is set past the closing one.
std::optional<QByteArrayView> QuotedField(QByteArrayView bytes, qsizetype open, qsizetype& next) {
    if (open >= bytes.size() || bytes.at(open) != '"')
        return std::nullopt;
    const qsizetype close = bytes.indexOf('"', open + 1);
    if (close < 0)
        return std::nullopt;
    next = close + 1;
    return bytes.sliced(open + 1, close - open - 1);
}

} // namespace

std::optional<QByteArray> FormatUndoRecord(const UndoRecord& record) {
    const std::optional<QByteArray> newName = EncodeName(record.newName);
    const std::optional<QByteArray> oldName = EncodeName(record.oldName);
    if (!newName || !oldName)
        return std::nullopt;
    return FormatUndoRecord(*newName, *oldName);
}

std::optional<QByteArray> FormatUndoRecord(QByteArrayView newName, QByteArrayView oldName) {
    if (newName.contains('"') || oldName.contains('"'))
        return std::nullopt;
    return QByteArray('"' + newName + "\",\"" + oldName + "\"\r\n");
}

UndoLogContents ParseUndoLog(QByteArrayView bytes) {
    UndoLogContents contents;
    qsizetype p = 0;
    while (p < bytes.size()) {
        qsizetype afterFirst = 0;
        qsizetype afterSecond = 0;
        const std::optional<QByteArrayView> newName = QuotedField(bytes, p, afterFirst);
        const bool comma = newName && afterFirst < bytes.size() && bytes.at(afterFirst) == ',';
        const std::optional<QByteArrayView> oldName =
            comma ? QuotedField(bytes, afterFirst + 1, afterSecond) : std::nullopt;
        const QByteArrayView rest = oldName ? bytes.sliced(afterSecond) : QByteArrayView();
        // The last line end may be missing; any other end is no record.
        if (!oldName || !(rest.isEmpty() || rest.startsWith("\r\n"))) {
            contents.code = kLogUnreadable;
            break;
        }
        contents.records.append({DecodeName(*newName), DecodeName(*oldName)});
        p = afterSecond + (rest.isEmpty() ? 0 : 2);
    }
    return contents;
}

} // namespace corvane
