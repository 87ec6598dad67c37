// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>

namespace corvane {

// Designed sizes and positions are in twips; 15 twips make one pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;

constexpr QRect TwipsRect(int left, int top, int width, int height) {
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
            height / kTwipsPerPixel};
}

} // namespace corvane
