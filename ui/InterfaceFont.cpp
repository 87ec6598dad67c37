// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/InterfaceFont.h"

namespace corvane {

QFont InterfaceFont() {
    QFont font;
    font.setFamilies(QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                 QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

} // namespace corvane
