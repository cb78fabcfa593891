// The main window as the user first sees it: past the splash, its deferred deletions
// done, for the window tests.
#pragma once

#include "ardenca_window.h"

#include <QCoreApplication>
#include <QEvent>
#include <memory>

inline std::unique_ptr<ardenca::qt::ArdencaWindow> started_window() {
    auto window = std::make_unique<ardenca::qt::ArdencaWindow>();
    window->Timer1_Timer();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return window;
}
