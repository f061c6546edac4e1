#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/BoundedCall.h"

namespace cinevan {

namespace detail {

// Where a background call leaves its result for the object that waits for it. The worker
// posts to the receiver only while the receiver lives: the receiver's end closes the box
// under the same lock, so a post never reaches an object that is being destroyed.
template <typename Result>
class ResultBox {
public:
    explicit ResultBox(QObject* receiver) : receiver_(receiver) {}

    // On the worker: keeps `result` and has `notify` run on the receiver's thread.
    template <typename Notify>
    void put(Result result, Notify notify) {
        const std::lock_guard lock(mutex_);
        result_ = std::move(result);
        ready_.notify_all();
        if (receiver_) {
            QMetaObject::invokeMethod(receiver_, std::move(notify), Qt::QueuedConnection);
        }
    }

    // On the receiver's thread: the result, waiting for it up to `wait`.
    std::optional<Result> take(std::chrono::milliseconds wait) {
        std::unique_lock lock(mutex_);
        ready_.wait_for(lock, wait, [this] { return result_.has_value(); });
        return std::exchange(result_, std::nullopt);
    }

    // On the receiver's thread: nothing is posted any more.
    void close() {
        const std::lock_guard lock(mutex_);
        receiver_ = nullptr;
    }

    // Receiver's thread only: whether the answer has been given.
    bool answered = false;
    QMetaObject::Connection receiverGone;

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    QObject* receiver_;
    std::optional<Result> result_;
};

}  // namespace detail

// Runs `work` on a thread of its own, as runWithin() does, but without making the calling
// thread wait beyond `quickWait`: `answer` receives the work's result on the thread of
// `receiver` (its event loop), or an empty optional once `deadline` has passed without one.
// A result ready within `quickWait` is answered before the call returns. `answer` runs at
// most once and never after `receiver` is destroyed. Work that misses its deadline is left to
// finish by itself; it must own or share everything it touches, and its result is dropped on
// whichever thread lets go of it last.
//
// callInBackgroundVia() is the same call with the work handed to `start` (a callable taking a
// std::function<void()>) instead of a thread of its own: a queue that runs it later, say.
template <typename Start, typename Work, typename Answer>
void callInBackgroundVia(Start start, QObject* receiver, QDeadlineTimer deadline, Work work,
                         Answer answer,
                         std::chrono::milliseconds quickWait = std::chrono::milliseconds(0)) {
    using Result = decltype(work());
    using Box = detail::ResultBox<Result>;
    const auto box = std::make_shared<Box>(receiver);
    const auto give = std::make_shared<Answer>(std::move(answer));
    const auto finish = [box, give](std::optional<Result> result) {
        if (box->answered) {
            return;
        }
        box->answered = true;
        box->close();
        QObject::disconnect(box->receiverGone);
        (*give)(std::move(result));
    };
    box->receiverGone = QObject::connect(receiver, &QObject::destroyed, [box] { box->close(); });

    start([box, finish, work = std::move(work)]() mutable {
        box->put(work(), [box, finish] {
            if (!box->answered) {
                finish(box->take(std::chrono::milliseconds(0)));
            }
        });
    });
    if (quickWait.count() > 0) {
        if (std::optional<Result> quick = box->take(quickWait)) {
            finish(std::move(quick));
            return;
        }
    }
    if (!deadline.isForever()) {
        // Precise and a millisecond late: when the empty answer comes, the deadline has passed.
        QTimer::singleShot(std::max<qint64>(deadline.remainingTime(), 0) + 1, Qt::PreciseTimer,
                           receiver,
                           [box, finish] { finish(box->take(std::chrono::milliseconds(0))); });
    }
}

template <typename Work, typename Answer>
void callInBackground(QObject* receiver, QDeadlineTimer deadline, Work work, Answer answer,
                      std::chrono::milliseconds quickWait = std::chrono::milliseconds(0)) {
    callInBackgroundVia(
        [](std::function<void()> job) { runWithin(QDeadlineTimer(0), std::move(job)); }, receiver,
        deadline, std::move(work), std::move(answer), quickWait);
}

}  // namespace cinevan
