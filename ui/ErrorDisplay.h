#pragma once

#include <QString>
#include <exception>
#include <utility>

class QWidget;

namespace cinevan {

// The program's default error display: a message box with the failure's text, after which
// the program goes on.
void ShowErrorBox(QWidget* parent, const QString& text);

// Runs a handler and shows any exception it lets escape in the default error display, so that
// no exception ever reaches the event loop.
template <class Handler>
void RunGuarded(QWidget* parent, Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        ShowErrorBox(parent, QString::fromLocal8Bit(error.what()));
    }
}

// Asks a question with Yes and No; true for Yes.
bool AskConfirmation(QWidget* parent, const QString& text);

}  // namespace cinevan
