#include "ui/Centring.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace corvane {

void CentreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QSize frame = window->frameGeometry().size();
    const QRect area = screen->geometry();
    const float left = area.x() + (float(area.width()) - float(frame.width())) / 2.0F;
    const float top = area.y() + (float(area.height()) - float(frame.height())) / 2.0F;
    window->move(int(left), int(top));
}

} // namespace corvane
