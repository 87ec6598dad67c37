// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ButtonPictures.h"

#include <QImage>
#include <QPixmap>

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

} // namespace

QIcon ButtonPicture(const QString& resource, const QPalette& palette) {
    QImage image(resource);
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
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(image), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(faint), QIcon::Disabled);
    return icon;
}

} // namespace corvane
