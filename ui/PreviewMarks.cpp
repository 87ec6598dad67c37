// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PreviewMarks.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace corvane {
namespace {

constexpr int kMarkSize = 12;
const QColor kStopColour(0xc8, 0x20, 0x20);

void PaintStop(QPainter& painter, PreviewMark mark) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(kStopColour);
    painter.drawEllipse(QRectF(0.5, 0.5, kMarkSize - 1, kMarkSize - 1));
    painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    if (mark == PreviewMark::Refused) {
        // No entry: a bar across.
        painter.drawLine(QPointF(3, 6), QPointF(9, 6));
        return;
    }
    // Taken: an exclamation mark.
    painter.drawLine(QPointF(6, 3), QPointF(6, 6.5));
    painter.drawPoint(QPointF(6, 9));
}

void PaintArrow(QPainter& painter) {
    QPainterPath arrow;
    arrow.moveTo(2, 3);
    arrow.lineTo(10, 6);
    arrow.lineTo(2, 9);
    arrow.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x30, 0x78, 0xc8));
    painter.drawPath(arrow);
}

} // namespace

QIcon PreviewMarkIcon(PreviewMark mark) {
    QPixmap pixmap(kMarkSize, kMarkSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (mark == PreviewMark::Changes)
        PaintArrow(painter);
    else if (mark != PreviewMark::Unchanged)
        PaintStop(painter, mark);
    painter.end();
    return QIcon(pixmap);
}

QString PreviewTip(const RenamePlan& previewed) {
    switch (previewed.mark) {
    case PreviewMark::Taken:
        return previewed.newName + u"\nThe batch would stop here: this name is taken."_qs;
    case PreviewMark::Collides:
        return previewed.newName +
               u"\nThe batch would stop here: an earlier file gets this name."_qs;
    case PreviewMark::Refused:
        return previewed.newName + u"\nThe batch would stop here: "_qs +
               (previewed.why.isEmpty() ? u"no file may have this name"_qs : previewed.why) +
               u"."_qs;
    default:
        return previewed.newName;
    }
}

} // namespace corvane
