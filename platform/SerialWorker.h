#pragma once

#include <QDeadlineTimer>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/BackgroundCall.h"
#include "platform/BoundedCall.h"

namespace cinevan {

// Runs pieces of work one after the other, in the order they were given, on one thread of its
// own, so that the thread that gives them (the GUI thread) never waits for them. Work that
// hangs on its source holds up only the work queued behind it. When the worker goes, its
// thread runs what is queued and then ends by itself; like the work of runWithin(), the
// pieces must own or share everything they touch. Each piece counts in boundedWorkRunning from
// the moment it is queued until it has run.
class SerialWorker {
public:
    SerialWorker() = default;
    ~SerialWorker() {
        const std::lock_guard lock(queue_->mutex);
        queue_->closed = true;
        queue_->changed.notify_all();
    }
    SerialWorker(const SerialWorker&) = delete;
    SerialWorker& operator=(const SerialWorker&) = delete;

    // Queues `work` behind every piece given before.
    void post(std::function<void()> work) {
        ++boundedWorkRunning;
        const std::lock_guard lock(queue_->mutex);
        queue_->work.push_back(std::move(work));
        queue_->changed.notify_all();
        if (!queue_->started) {
            queue_->started = true;
            std::thread([queue = queue_] { queue->run(); }).detach();
        }
    }

    // Queues `work` as post() does and answers its result as callInBackground() does: on the
    // thread of `receiver`, or empty once `deadline` has passed without one.
    template <typename Work, typename Answer>
    void call(QObject* receiver, QDeadlineTimer deadline, Work work, Answer answer) {
        callInBackgroundVia([this](std::function<void()> job) { post(std::move(job)); }, receiver,
                            deadline, std::move(work), std::move(answer));
    }

    // Whether nothing is queued or running.
    bool idle() const {
        const std::lock_guard lock(queue_->mutex);
        return queue_->work.empty() && !queue_->running;
    }

    // Waits until nothing is queued or running, or until `deadline`; true when idle.
    bool waitUntilIdle(QDeadlineTimer deadline) const {
        std::unique_lock lock(queue_->mutex);
        const auto isIdle = [this] { return queue_->work.empty() && !queue_->running; };
        const auto wait = std::chrono::milliseconds(std::max<qint64>(deadline.remainingTime(), 0));
        return queue_->changed.wait_for(lock, wait, isIdle);
    }

private:
    struct Queue {
        mutable std::mutex mutex;
        std::condition_variable changed;
        std::deque<std::function<void()>> work;
        bool started = false;
        bool running = false;
        bool closed = false;

        void run() {
            std::unique_lock lock(mutex);
            for (;;) {
                changed.wait(lock, [this] { return closed || !work.empty(); });
                if (work.empty()) {
                    return;  // closed, and everything has run
                }
                std::function<void()> next = std::move(work.front());
                work.pop_front();
                running = true;
                lock.unlock();
                next();
                next = nullptr;  // what the work holds goes before anyone hears of its end
                --boundedWorkRunning;
                lock.lock();
                running = false;
                changed.notify_all();
            }
        }
    };

    std::shared_ptr<Queue> queue_ = std::make_shared<Queue>();
};

}  // namespace cinevan
