#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>

namespace cinevan::test {

// Runs `action` on the first modal window that `wanted` accepts, polling while the code under
// test runs its own event loops; gives up after a few seconds by rejecting whatever is open.
inline void WhenModal(std::function<bool(QWidget*)> wanted, std::function<void(QWidget*)> action) {
    auto* poll = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && wanted(modal)) {
            poll->deleteLater();
            poll->stop();
            action(modal);
        } else if (started->elapsed() > 5000) {
            poll->deleteLater();
            poll->stop();
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            }
        }
    });
    poll->start(10);
}

// The same for the first modal window of type `Dialog`.
template <class Dialog>
void WhenModal(std::function<void(Dialog*)> action) {
    WhenModal([](QWidget* w) { return qobject_cast<Dialog*>(w) != nullptr; },
              [action = std::move(action)](QWidget* w) { action(static_cast<Dialog*>(w)); });
}

}  // namespace cinevan::test
