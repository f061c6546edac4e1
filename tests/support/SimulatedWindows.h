#pragma once

#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <memory>

#include <gtest/gtest.h>

#include "playback/mci/DeviceLayer.h"
#include "playback/mci/simulated/SimulatedDevice.h"
#include "tests/support/SimulatedMovies.h"
#include "ui/Main.h"
#include "ui/MovieList.h"

namespace cinevan::test {

// The main window and the Movie List Editor on simulated devices whose movies last ten
// minutes, wired to each other as the program wires them. Stand-in movies are written to a
// private folder.
class SimulatedWindowsTest : public ::testing::Test {
protected:
    SimulatedWindowsTest() { AddTenMinuteActiveMovie(sim_, layer_); }
    ~SimulatedWindowsTest() override { DestroyWindows(); }

    // The main window. Its open timer is stopped: the tests give the command line themselves.
    TFormMain& CreateMain() {
        main_ = std::make_unique<TFormMain>(layer_);
        main_->TimerOpen->stop();
        return *main_;
    }

    // The editor, a child of the main window.
    TFormMovieList& CreateEditor() {
        editor_ = std::make_unique<TFormMovieList>(main_->Player(), main_.get());
        main_->SetCompanions({.editor = editor_.get()});
        return *editor_;
    }

    // The editor first: it is a child of the main window.
    void DestroyWindows() {
        editor_.reset();
        main_.reset();
    }

    // Shows `window` and waits until it is the active window; false if it never gets there.
    static bool ShowActive(QWidget& window) {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }

    // A stand-in movie of that name in the private folder; returns its path.
    QString Movie(const QString& name) const { return WriteStandInMovie(folder_.filePath(name)); }

    PlayerController& Player() { return main_->Player(); }

    QTemporaryDir folder_;
    mci::DeviceLayer layer_;
    mci::SimulatedDevices sim_;
    std::unique_ptr<TFormMain> main_;
    std::unique_ptr<TFormMovieList> editor_;
};

}  // namespace cinevan::test
