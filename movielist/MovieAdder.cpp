#include "movielist/MovieAdder.h"

#include <QMetaObject>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "movielist/MoviePath.h"

namespace cinevan {

// What the gathering thread shares with the adder. The adder may stop caring at any time (it
// was cancelled or destroyed); the thread then finishes its names for nobody.
class MovieAdder::Work {
public:
    explicit Work(MovieAdder* receiver) : FReceiver(receiver) {}

    // Gathering thread: one name's entries are ready.
    void Deliver(GatheredEntries entries) {
        const std::lock_guard lock(FMutex);
        FReady.push_back(std::move(entries));
        Wake();
    }
    // Gathering thread: every name is done.
    void Finish() {
        const std::lock_guard lock(FMutex);
        FFinished = true;
        FChanged.notify_all();
        Wake();
    }
    bool Abandoned() const { return FAbandoned; }

    // GUI thread.
    void WaitUntilFinished(std::chrono::milliseconds limit) {
        std::unique_lock lock(FMutex);
        FChanged.wait_for(lock, limit, [this] { return FFinished; });
    }
    // Takes the entries ready so far; `finished` tells whether more will come.
    std::vector<GatheredEntries> Take(bool& finished) {
        const std::lock_guard lock(FMutex);
        FWakePosted = false;
        finished = FFinished;
        return std::exchange(FReady, {});
    }
    void Abandon() {
        const std::lock_guard lock(FMutex);
        FAbandoned = true;
        FReceiver = nullptr;
    }

private:
    // Asks the GUI thread to drain, once until it has. The receiver is alive while it is set:
    // it clears itself under the same lock before it goes.
    void Wake() {
        FChanged.notify_all();
        if (FReceiver && !FWakePosted) {
            FWakePosted = true;
            MovieAdder* receiver = FReceiver;
            QMetaObject::invokeMethod(
                receiver,
                [receiver] {
                    try {
                        receiver->Drain(true);
                    } catch (...) {
                        // Nothing waits for this request any more; what was applied stays.
                    }
                },
                Qt::QueuedConnection);
        }
    }

    std::mutex FMutex;
    std::condition_variable FChanged;
    std::vector<GatheredEntries> FReady;
    bool FFinished = false;
    bool FWakePosted = false;
    std::atomic<bool> FAbandoned = false;
    MovieAdder* FReceiver;
};

namespace {

void gather(const std::shared_ptr<MovieAdder::Work>& work, const QByteArrayList& names,
            const QByteArray& here, bool setFolder) {
    try {
        NameGatherer gatherer(here, kNameLookupStall);
        gatherer.GatherAll(names, [work](GatheredEntries entries) {
            if (work->Abandoned()) {
                return false;
            }
            work->Deliver(std::move(entries));
            return true;
        });
        if (setFolder && !names.isEmpty() && !work->Abandoned()) {
            gatherer.EnterFolderOf(names.front());
        }
    } catch (...) {
        // Out of memory: the names not gathered are left out.
    }
    work->Finish();
}

}  // namespace

MovieAdder::MovieAdder(QObject* parent) : QObject(parent) {}

MovieAdder::~MovieAdder() {
    CancelAll();
}

void MovieAdder::Add(QByteArrayList names, bool setFolder, Apply apply, Done done) {
    FPending.push_back({std::move(names), moviepath::currentFolder(), setFolder, std::move(apply),
                        std::move(done)});
    if (!FRunning) {
        StartNext(true);
    }
}

void MovieAdder::CancelAll() {
    FPending.clear();
    Abandon();
}

void MovieAdder::Abandon() {
    if (FRunning) {
        FRunning->work->Abandon();
        FRunning.reset();
    }
}

void MovieAdder::StartNext(bool waitQuickly) {
    if (FPending.empty()) {
        return;
    }
    Request request = std::move(FPending.front());
    FPending.pop_front();
    auto work = std::make_shared<Work>(this);
    FRunning = Running{work, request.here, std::move(request.apply), std::move(request.done)};
    try {
        std::thread(gather, work, std::move(request.names), std::move(request.here),
                    request.setFolder)
            .detach();
    } catch (...) {
        FRunning.reset();
        throw;
    }
    if (waitQuickly) {
        work->WaitUntilFinished(kQuickWait);
        Drain(false);
    }
}

void MovieAdder::Drain(bool late) {
    if (!FRunning) {
        return;
    }
    const std::shared_ptr<Work> work = FRunning->work;
    bool finished = false;
    GatheredNames ready{work->Take(finished), FRunning->here, !FRunning->applied};
    // A request applies at least once, as AddMovies refreshes even when nothing is added.
    if (!ready.entries.empty() || (finished && !FRunning->applied)) {
        FRunning->applied = true;
        // A copy: applying may end this request and drop what it holds.
        const Apply apply = FRunning->apply;
        try {
            apply(ready);
        } catch (...) {
            Abandon();
            StartNext(false);
            throw;
        }
    }
    // Applying may have cancelled this request, or finished it through a nested drain.
    if (!finished || !FRunning || FRunning->work != work) {
        return;
    }
    const Done done = std::move(FRunning->done);
    FRunning.reset();
    if (done) {
        done(late);
    }
    if (!FRunning) {
        StartNext(false);
    }
}

}  // namespace cinevan
