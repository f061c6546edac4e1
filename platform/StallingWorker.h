#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/BoundedCall.h"

namespace cinevan {

// Runs pieces of work one after another on a helper thread, for a thread (not the GUI thread)
// that must not wait for ever on a source that stops answering. Each piece counts its steps on
// the counter it is given (a folder listing counts each name) and is waited for as long as it
// goes on: it is given up only when `stall` passes without a step. A piece given up is left to
// its helper thread, which ends once the piece does; the next piece gets a new helper. So a
// healthy source costs one thread for all its pieces, and a dead one a thread per stall.
class StallingWorker {
public:
    using Work = std::function<void(std::atomic<int>& steps)>;

    explicit StallingWorker(std::chrono::milliseconds stall) : FStall(stall) {}
    ~StallingWorker() { Retire(); }
    StallingWorker(const StallingWorker&) = delete;
    StallingWorker& operator=(const StallingWorker&) = delete;

    // True when `work` finished; false when it stalled. The work must own or share everything
    // it touches.
    bool Run(Work work) {
        if (!FHelper) {
            FHelper = std::make_shared<Helper>();
            std::thread([helper = FHelper] { helper->Serve(); }).detach();
        }
        const std::shared_ptr<Helper> helper = FHelper;
        std::unique_lock lock(helper->mutex);
        ++boundedWorkRunning;
        helper->work = std::move(work);
        helper->done = false;
        helper->steps = 0;
        helper->changed.notify_all();
        int seen = -1;
        while (seen != helper->steps.load()) {
            seen = helper->steps.load();
            if (helper->changed.wait_for(lock, FStall, [&] { return helper->done; })) {
                return true;
            }
        }
        helper->quit = true;
        lock.unlock();
        FHelper.reset();
        return false;
    }

private:
    struct Helper {
        // Helper thread: runs each piece handed over until told to quit.
        void Serve() {
            std::unique_lock lock(mutex);
            while (true) {
                changed.wait(lock, [this] { return quit || work; });
                if (!work) {
                    return;
                }
                Work piece = std::exchange(work, nullptr);
                lock.unlock();
                piece(steps);
                // What the piece holds goes before anyone hears it is done.
                piece = nullptr;
                --boundedWorkRunning;
                lock.lock();
                done = true;
                changed.notify_all();
            }
        }

        std::mutex mutex;
        std::condition_variable changed;
        Work work;
        bool done = false;
        bool quit = false;
        std::atomic<int> steps = 0;
    };

    void Retire() {
        if (FHelper) {
            const std::lock_guard lock(FHelper->mutex);
            FHelper->quit = true;
            FHelper->changed.notify_all();
        }
    }

    const std::chrono::milliseconds FStall;
    std::shared_ptr<Helper> FHelper;
};

}  // namespace cinevan
