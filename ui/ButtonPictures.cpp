// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ButtonPictures.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <array>

namespace corvane {
namespace {

// Strokes darker than this vanish on a dark button.
constexpr int kDarkStroke = 110;
constexpr qreal kDisabledOpacity = 0.35;

bool IsDarkTheme(const QPalette& palette) {
    return palette.color(QPalette::Button).lightness() <
           palette.color(QPalette::ButtonText).lightness();
}

// Every pixel of the picture through `change`, its transparency kept.
template <typename Change> QImage EachPixel(const QImage& picture, Change change) {
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() > 0)
                image.setPixelColor(x, y, change(pixel));
        }
    }
    return image;
}

constexpr QSize kPictureSize(16, 15);
// Drawn for each of these screen ratios, so that a picture is sharp at 200% and beyond.
constexpr std::array<qreal, 3> kRatios{1.0, 2.0, 3.0};
const QColor kInk(0x1d, 0x35, 0x57);

// Copy names: two overlapping documents, lines of text on each.
void PaintCopy(QPainter& painter) {
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(1, 1, 8, 10));
    painter.drawLine(QPointF(3, 4), QPointF(7, 4));
    painter.drawLine(QPointF(3, 6), QPointF(7, 6));
    painter.drawRect(QRectF(6, 4, 8, 10));
    painter.setPen(QPen(kInk, 1));
    for (const int y : {7, 9, 11})
        painter.drawLine(QPointF(8, y), QPointF(12, y));
}

// Undo: an arrow curving back to the left.
void PaintUndo(QPainter& painter) {
    painter.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(4, 3, 10, 10), 90 * 16, -180 * 16);
    painter.drawLine(QPointF(9, 13), QPointF(6, 13));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kInk);
    painter.drawPolygon(QPolygonF({QPointF(0.5, 3.5), QPointF(6.5, -0.5), QPointF(6.5, 7)}));
    painter.drawRect(QRectF(6, 2, 3.5, 3));
}

QImage Painted(ButtonPictureKind kind, qreal ratio) {
    QImage image(kPictureSize * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Strokes of one pixel fall on whole pixels at every ratio.
    painter.translate(0.5, 0.5);
    (kind == ButtonPictureKind::Copy ? PaintCopy : PaintUndo)(painter);
    return image;
}

} // namespace

QIcon ButtonPicture(ButtonPictureKind kind, const QPalette& palette) {
    QIcon icon;
    for (const qreal ratio : kRatios) {
        QImage image = Painted(kind, ratio);
        if (IsDarkTheme(palette)) {
            const QColor text = palette.color(QPalette::ButtonText);
            image = EachPixel(image, [&](QColor pixel) {
                if (pixel.lightness() >= kDarkStroke)
                    return pixel;
                QColor light = text;
                light.setAlpha(pixel.alpha());
                return light;
            });
        }
        const QImage faint = EachPixel(image, [](QColor pixel) {
            const int grey = qGray(pixel.rgb());
            return QColor(grey, grey, grey, int(pixel.alpha() * kDisabledOpacity));
        });
        icon.addPixmap(QPixmap::fromImage(image), QIcon::Normal);
        icon.addPixmap(QPixmap::fromImage(faint), QIcon::Disabled);
    }
    return icon;
}

} // namespace corvane
