// SPDX-License-Identifier: GPL-3.0-or-later
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

// Where the outer frame's top left corner goes for the frame to sit in the middle.
QPoint CentredCorner(const QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QSize frame = window->frameGeometry().size();
    const QRect area = screen->geometry();
    const float left = area.x() + (float(area.width()) - float(frame.width())) / 2.0F;
    const float top = area.y() + (float(area.height()) - float(frame.height())) / 2.0F;
    return {int(left), int(top)};
}

} // namespace

void CentreOnScreen(QWidget* window) {
    window->move(CentredCorner(window));
    // A window manager frames the window only after it is shown, and may place the frame where
    // the window was asked to go: centre it again by its frame, correcting by what it did.
    auto* look = new QTimer(window);
    look->setInterval(kFrameLookMs);
    QObject::connect(look, &QTimer::timeout, window, [window, look, left = kFrameLooks]() mutable {
        const QRect frame = window->frameGeometry();
        const bool framed = window->isVisible() && frame != window->geometry();
        const QPoint off = frame.topLeft() - CentredCorner(window);
        const bool centred = framed && std::abs(off.x()) <= 1 && std::abs(off.y()) <= 1;
        if (framed && !centred)
            window->move(window->pos() - off);
        if (centred || --left == 0)
            look->deleteLater();
    });
    look->start();
}

} // namespace corvane
