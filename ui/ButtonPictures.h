// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPalette>

namespace corvane {

enum class ButtonPictureKind { Copy, Undo };

// A picture button's picture, legible on the palette's buttons: where the theme is dark, its
// dark strokes take the button text's colour; disabled, it is drawn faint, so that the two
// states never look alike. It is drawn for the screen's pixel ratio.
QIcon ButtonPicture(ButtonPictureKind kind, const QPalette& palette);

} // namespace corvane
