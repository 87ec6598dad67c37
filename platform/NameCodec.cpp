// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NameCodec.h"

#include <QStringDecoder>
#include <algorithm>

namespace corvane {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// Length of the valid UTF-8 sequence at `p`, or 0 when the byte there starts none.
qsizetype ValidSequenceLength(QByteArrayView bytes, qsizetype p) {
    const auto at = [&](qsizetype i) { return static_cast<unsigned char>(bytes.at(i)); };
    const unsigned char lead = at(p);
    qsizetype length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no encoded surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (p + length > bytes.size() || at(p + 1) < low || at(p + 1) > high)
        return 0;
    for (qsizetype i = 2; i < length; ++i) {
        if (at(p + i) < 0x80 || at(p + i) > 0xBF)
            return 0;
    }
    return length;
}

// Where the first byte that starts no valid UTF-8 sequence stands, or the size when none does.
qsizetype FirstStrayByte(QByteArrayView bytes) {
    for (qsizetype p = 0; p < bytes.size();) {
        if (static_cast<unsigned char>(bytes.at(p)) < 0x80)
            ++p;
        else if (const qsizetype length = ValidSequenceLength(bytes, p))
            p += length;
        else
            return p;
    }
    return bytes.size();
}

} // namespace

QString DecodeName(QByteArrayView bytes) {
    const qsizetype stray = FirstStrayByte(bytes);
    // A byte-order mark is part of the name like any other character, wherever it stands.
    if (stray == bytes.size() && !bytes.startsWith("\xef\xbb\xbf"))
        return QString::fromUtf8(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString name;
    name.reserve(bytes.size());
    qsizetype validFrom = 0;
    for (qsizetype p = stray; p < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes.at(p));
        if (byte < 0x80) {
            ++p;
        } else if (const qsizetype length = ValidSequenceLength(bytes, p)) {
            p += length;
        } else {
            name.append(utf8(bytes.sliced(validFrom, p - validFrom)));
            name.append(QChar(char16_t(kEscapeBase + byte)));
            validFrom = ++p;
        }
    }
    name.append(utf8(bytes.sliced(validFrom)));
    return name;
}

std::optional<QByteArray> EncodeName(QStringView name) {
    if (std::none_of(name.begin(), name.end(), [](QChar c) { return c.isSurrogate(); }))
        return name.toUtf8();
    QByteArray bytes;
    bytes.reserve(name.size() * 3);
    qsizetype plainFrom = 0;
    const auto flushPlain = [&](qsizetype to) {
        bytes.append(name.sliced(plainFrom, to - plainFrom).toUtf8());
    };
    for (qsizetype p = 0; p < name.size(); ++p) {
        const QChar c = name.at(p);
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && p + 1 < name.size() && name.at(p + 1).isLowSurrogate()) {
            ++p;
            continue;
        }
        if (c.unicode() < kEscapeBase + 0x80 || c.unicode() > kEscapeBase + 0xFF)
            return std::nullopt;
        flushPlain(p);
        bytes.append(char(c.unicode() - kEscapeBase));
        plainFrom = p + 1;
    }
    flushPlain(name.size());
    return bytes;
}

} // namespace corvane
