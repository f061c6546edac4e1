// Handlers connected through the guard: an exception they let escape is shown over their window
// and never reaches the event loop.

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>
#include <QWidget>
#include <memory>
#include <stdexcept>

#include "tests/support/ModalDialogs.h"
#include "ui/GuardedConnect.h"

namespace cinevan {
namespace {

// A window with one button whose handler counts its runs and can be told to fail.
class Window : public QWidget {
public:
    Window() : button(new QPushButton(this)) {}

    void Handler() {
        ++runs;
        if (failure) {
            throw std::runtime_error(failure);
        }
    }

    QPushButton* button;
    int runs = 0;
    const char* failure = nullptr;
};

TEST(ConnectGuarded, AnEscapingExceptionIsShownOverTheWindowAndTheProgramGoesOn) {
    Window window;
    ConnectGuarded(window.button, &QPushButton::clicked, &window, &Window::Handler);
    QString shown;
    QWidget* over = nullptr;
    test::WhenModal<QMessageBox>([&](QMessageBox* box) {
        shown = box->text();
        over = box->parentWidget();
        box->accept();
    });
    window.failure = "Drive not ready";
    window.button->click();
    EXPECT_EQ(window.runs, 1);
    EXPECT_EQ(shown, "Drive not ready");
    EXPECT_EQ(over, &window);

    window.failure = nullptr;
    window.button->click();
    EXPECT_EQ(window.runs, 2) << "the handler still runs after a failure";
}

TEST(ConnectGuarded, TheConnectionEndsWithTheWindow) {
    QPushButton sender;
    int runs = 0;
    auto window = std::make_unique<QWidget>();
    ConnectGuarded(&sender, &QPushButton::clicked, window.get(), [&runs] { ++runs; });
    sender.click();
    window.reset();
    sender.click();
    EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace cinevan
