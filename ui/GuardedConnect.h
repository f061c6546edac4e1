#pragma once

#include <QObject>
#include <QWidget>
#include <utility>

#include "ui/ErrorDisplay.h"

namespace cinevan {

// Connects `signal` to `handler` so that the handler runs guarded for `window`: an exception
// it lets escape is shown in the error display over `window` and never reaches the event
// loop. The connection ends with `window`. The signal's arguments are dropped.
template <class Sender, class Signal, class Handler>
QMetaObject::Connection ConnectGuarded(Sender* sender, Signal signal, QWidget* window,
                                       Handler handler) {
    return QObject::connect(sender, signal, window, [window, handler = std::move(handler)] {
        RunGuarded(window, handler);
    });
}

// The same for a handler that is a member function of the window.
template <class Sender, class Signal, class Window>
QMetaObject::Connection ConnectGuarded(Sender* sender, Signal signal, Window* window,
                                       void (Window::*handler)()) {
    return ConnectGuarded(sender, signal, window, [window, handler] { (window->*handler)(); });
}

}  // namespace cinevan
