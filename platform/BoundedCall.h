#pragma once

#include <QDeadlineTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace cinevan {

// Work that may wait on a source for ever (reading a stalled disc or a hung network file,
// stopping an engine whose reader is stuck) runs here on a thread of its own, and the calling
// thread (the GUI thread) waits for it only until a deadline. Work that has not finished by
// then is left to finish, or to hang, by itself: the thread is detached, so neither the caller
// nor the end of the program ever waits for it. The work must therefore own (or share)
// everything it touches, and must not touch widgets.

// How many pieces of work run now, finished in time or not; an abandoned one that is still
// stuck counts until its source answers.
inline std::atomic<int> boundedWorkRunning = 0;

// Runs `work`; true when it finished before `deadline`.
inline bool runWithin(QDeadlineTimer deadline, std::function<void()> work) {
    struct State {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
    };
    const auto state = std::make_shared<State>();
    ++boundedWorkRunning;
    std::thread([state, work = std::move(work)]() mutable {
        work();
        // What the work holds is released before the caller hears of it, so that a caller
        // who then drops its own share really holds the last one.
        work = nullptr;
        --boundedWorkRunning;
        const std::lock_guard lock(state->mutex);
        state->done = true;
        state->finished.notify_all();
    }).detach();
    std::unique_lock lock(state->mutex);
    const auto wait = std::chrono::milliseconds(std::max<qint64>(deadline.remainingTime(), 0));
    if (deadline.isForever()) {
        state->finished.wait(lock, [&] { return state->done; });
        return true;
    }
    return state->finished.wait_for(lock, wait, [&] { return state->done; });
}

// Runs `work` and answers its result, or nothing when it did not finish before `deadline`.
template <typename Work>
auto callWithin(QDeadlineTimer deadline, Work work) -> std::optional<decltype(work())> {
    using Result = decltype(work());
    const auto result = std::make_shared<std::optional<Result>>();
    const bool done =
        runWithin(deadline, [result, work = std::move(work)]() mutable { *result = work(); });
    if (!done) {
        return std::nullopt;
    }
    return *result;
}

}  // namespace cinevan
