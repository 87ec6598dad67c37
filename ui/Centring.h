// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace corvane {

// Puts a window's outer frame in the middle of its screen, in single-precision arithmetic and
// without clamping: a window larger than the screen gets a negative position. Once a window
// manager has framed the shown window, it is centred again by that frame.
void CentreOnScreen(QWidget* window);

} // namespace corvane
