// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace corvane {

// Host names are bytes. Decoding reads UTF-8 and keeps every byte that is not part of valid
// UTF-8 as the lone surrogate U+DC00 + byte (U+DC80 to U+DCFF), so that any name survives
// decode and encode unchanged.
QString DecodeName(QByteArrayView bytes);

// The bytes of a name, or nothing when the text holds a lone surrogate that no byte stands for.
std::optional<QByteArray> EncodeName(QStringView name);

} // namespace corvane
