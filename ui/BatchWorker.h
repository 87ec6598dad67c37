// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/BatchProgress.h"

#include <QString>
#include <functional>

class QWidget;

namespace corvane {

// Runs a batch or an Undo on a worker thread while `window` stays painted but takes no input.
// One that takes longer than about half a second shows a modal progress window, whose Cancel
// makes `progress` answer that the work should stop. Returns when the work has ended.
void RunWithProgress(QWidget* window, const QString& title,
                     const std::function<void(const BatchProgress& progress)>& work);

// The same, for work that holds all it needs by value and returns its outcome by value, for the
// window's thread to apply: the worker touches nothing of the window's.
template <typename Work>
auto RunForOutcome(QWidget* window, const QString& title, const Work& work) {
    decltype(work(BatchProgress())) outcome;
    RunWithProgress(window, title,
                    [&outcome, &work](const BatchProgress& progress) { outcome = work(progress); });
    return outcome;
}

} // namespace corvane
