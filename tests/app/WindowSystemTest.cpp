#include <gtest/gtest.h>

#include <QByteArray>
#include <optional>

#include "app/WindowSystem.h"

namespace cinevan {
namespace {

// Sets an environment variable (or takes it away) for one case and puts it back after.
class ScopedVariable {
public:
    ScopedVariable(const char* name, std::optional<QByteArray> value) : name_(name) {
        if (qEnvironmentVariableIsSet(name)) {
            saved_ = qgetenv(name);
        }
        if (value) {
            qputenv(name, *value);
        } else {
            qunsetenv(name);
        }
    }
    ~ScopedVariable() {
        if (saved_) {
            qputenv(name_, *saved_);
        } else {
            qunsetenv(name_);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<QByteArray> saved_;
};

TEST(PreferX11Windows, AWaylandDesktopWithAnXServerGetsX11Windows) {
    const ScopedVariable display("DISPLAY", ":0");
    const ScopedVariable wayland("WAYLAND_DISPLAY", "wayland-0");
    const ScopedVariable session("XDG_SESSION_TYPE", "wayland");
    const ScopedVariable platform("QT_QPA_PLATFORM", std::nullopt);
    PreferX11Windows();
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), "xcb");
}

TEST(PreferX11Windows, TheUsersChoiceAndAMissingXServerAreLeftAlone) {
    {
        const ScopedVariable display("DISPLAY", ":0");
        const ScopedVariable platform("QT_QPA_PLATFORM", "offscreen");
        PreferX11Windows();
        EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), "offscreen");
    }
    {
        const ScopedVariable display("DISPLAY", std::nullopt);
        const ScopedVariable wayland("WAYLAND_DISPLAY", "wayland-0");
        const ScopedVariable platform("QT_QPA_PLATFORM", std::nullopt);
        PreferX11Windows();
        EXPECT_FALSE(qEnvironmentVariableIsSet("QT_QPA_PLATFORM"));
    }
}

}  // namespace
}  // namespace cinevan
