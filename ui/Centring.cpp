#include "ui/Centring.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace corvane {
namespace {

// How often, and how long, to look for the window manager's frame after a window is shown.
constexpr int kFrameLookMs = 50;
constexpr int kFrameLooks = 60;

void CentreByOuterSize(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QSize frame = window->frameGeometry().size();
    const QRect area = screen->geometry();
    const float left = area.x() + (float(area.width()) - float(frame.width())) / 2.0F;
    const float top = area.y() + (float(area.height()) - float(frame.height())) / 2.0F;
    window->move(int(left), int(top));
}

} // namespace

void CentreOnScreen(QWidget* window) {
    CentreByOuterSize(window);
    // A window manager frames the window only after it is shown: centre it once more then, by
    // the frame it got.
    auto* look = new QTimer(window);
    look->setInterval(kFrameLookMs);
    QObject::connect(look, &QTimer::timeout, window, [window, look, left = kFrameLooks]() mutable {
        const bool framed = window->isVisible() && window->frameGeometry() != window->geometry();
        if (framed)
            CentreByOuterSize(window);
        if (framed || --left == 0)
            look->deleteLater();
    });
    look->start();
}

} // namespace corvane
