// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/BatchWorker.h"

#include "ui/ProgressWindow.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMutex>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <memory>

namespace corvane {
namespace {

constexpr int kQuietMilliseconds = 500;
constexpr int kUpdateMilliseconds = 100;

bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

// Keeps user input, and closing, from every widget but the progress window's.
class InputGate : public QObject {
public:
    explicit InputGate(const QWidget* open) : m_open(open) { qApp->installEventFilter(this); }
    ~InputGate() override { qApp->removeEventFilter(this); }
    InputGate(const InputGate&) = delete;
    InputGate& operator=(const InputGate&) = delete;

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        const auto* widget = qobject_cast<const QWidget*>(target);
        // A window closed by the user, not one the program closes, such as a tooltip.
        const bool closedByUser = event->type() == QEvent::Close && event->spontaneous();
        if (widget == nullptr || !(IsUserInput(event->type()) || closedByUser))
            return false;
        if (widget == m_open || m_open->isAncestorOf(widget))
            return false;
        event->ignore();
        return true;
    }

private:
    const QWidget* m_open;
};

// What the worker last told, for the window to show.
struct Reported {
    QMutex mutex;
    qsizetype done = 0;
    qsizetype total = 0;
    QString name;
};

} // namespace

void RunWithProgress(QWidget* window, const QString& title,
                     const std::function<void(const BatchProgress& progress)>& work) {
    Reported reported;
    std::atomic<bool> cancelled = false;
    const BatchProgress progress = [&](qsizetype done, qsizetype total, const QString& name) {
        const QMutexLocker lock(&reported.mutex);
        reported.done = done;
        reported.total = total;
        reported.name = name;
        return !cancelled.load();
    };

    ProgressWindow progressWindow(window, title);
    QObject::connect(&progressWindow, &ProgressWindow::cancelled, &progressWindow,
                     [&] { cancelled = true; });
    const InputGate gate(&progressWindow);
    const auto showReported = [&] {
        const QMutexLocker lock(&reported.mutex);
        progressWindow.showProgress(reported.done, reported.total, reported.name);
    };
    QTimer updates;
    QObject::connect(&updates, &QTimer::timeout, &progressWindow, showReported);
    QTimer::singleShot(kQuietMilliseconds, &progressWindow, [&] {
        showReported();
        progressWindow.open();
        updates.start(kUpdateMilliseconds);
    });

    QEventLoop loop;
    const std::unique_ptr<QThread> worker(QThread::create([&] { work(progress); }));
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    worker->wait();
}

} // namespace corvane
