// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ClipboardText.h"

namespace corvane {

QString ClipboardText(const QStringList& names) {
    QString text;
    for (const QString& name : names) {
        text += QStringView(name).first(name.contains(u'.') ? name.indexOf(u'.') : name.size());
        text += u"\r\n";
    }
    return text;
}

} // namespace corvane
