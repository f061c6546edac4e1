#pragma once

#include <QMetaObject>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace cinevan {

// Work for the GUI thread that may wait on a slow or stalled source (a disc spinning up, a
// drive that never answers) runs here on a thread of its own. Its result is handed to `then`
// on the GUI thread: before Start returns when the work ends within the quick wait, else from
// the event loop once it ends. Work that has not ended after the give-up time is given up:
// `then` gets nothing, and the result that may come later is dropped. A new Start gives up the
// task still running. The work must own everything it touches and must not touch widgets.
template <typename Result>
class BackgroundTask : public QObject {
public:
    using Then = std::function<void(std::optional<Result>)>;

    BackgroundTask(std::chrono::milliseconds quickWait, std::chrono::milliseconds giveUp,
                   QObject* parent = nullptr)
        : QObject(parent), FQuickWait(quickWait), FGiveUp(giveUp) {}
    ~BackgroundTask() override { Abandon(); }
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;

    void Start(std::function<Result()> work, Then then) {
        Abandon();
        auto run = std::make_shared<Run>(this);
        FRunning = run;
        FThen = std::move(then);
        std::thread([run, work = std::move(work)] { run->Finish(work()); }).detach();
        if (run->WaitForEnd(FQuickWait)) {
            Deliver(run);
            return;
        }
        QTimer::singleShot(FGiveUp, this, [this, weak = std::weak_ptr<Run>(run)] {
            const auto given = weak.lock();
            if (given && given == FRunning && given->Abandon()) {
                Complete(std::nullopt);
            }
        });
    }

    bool Running() const { return FRunning != nullptr; }

private:
    // What the working thread shares with the task, which may stop caring at any time.
    class Run {
    public:
        explicit Run(BackgroundTask* receiver) : FReceiver(receiver) {}

        void Finish(Result result) {
            const std::lock_guard lock(FMutex);
            FResult = std::move(result);
            FChanged.notify_all();
            if (FReceiver) {
                BackgroundTask* receiver = FReceiver;
                QMetaObject::invokeMethod(
                    receiver, [receiver] { receiver->DeliverRunning(); }, Qt::QueuedConnection);
            }
        }
        bool WaitForEnd(std::chrono::milliseconds limit) {
            std::unique_lock lock(FMutex);
            return FChanged.wait_for(lock, limit, [this] { return FResult.has_value(); });
        }
        // Takes the result, once; nothing while the work goes on or after it was given up.
        std::optional<Result> Take() {
            const std::lock_guard lock(FMutex);
            FReceiver = nullptr;
            return std::exchange(FResult, std::nullopt);
        }
        // False when the result is in already.
        bool Abandon() {
            const std::lock_guard lock(FMutex);
            FReceiver = nullptr;
            return !FResult.has_value();
        }

    private:
        std::mutex FMutex;
        std::condition_variable FChanged;
        std::optional<Result> FResult;
        BackgroundTask* FReceiver;
    };

    void DeliverRunning() {
        if (FRunning) {
            Deliver(FRunning);
        }
    }
    void Deliver(const std::shared_ptr<Run>& run) {
        if (std::optional<Result> result = run->Take()) {
            Complete(std::move(result));
        }
    }
    void Complete(std::optional<Result> result) {
        FRunning.reset();
        const Then then = std::exchange(FThen, nullptr);
        if (then) {
            then(std::move(result));
        }
    }
    void Abandon() {
        if (FRunning) {
            FRunning->Abandon();
            FRunning.reset();
            FThen = nullptr;
        }
    }

    const std::chrono::milliseconds FQuickWait;
    const std::chrono::milliseconds FGiveUp;
    std::shared_ptr<Run> FRunning;
    Then FThen;
};

}  // namespace cinevan
