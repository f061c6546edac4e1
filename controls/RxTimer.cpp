#include "controls/RxTimer.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <climits>
#include <exception>
#include <memory>

namespace cinevan {

TRxTimer::TRxTimer(QObject* parent) : QObject(parent) {
    FThread = std::thread([this] { ThreadLoop(); });
}

TRxTimer::~TRxTimer() {
    {
        const std::lock_guard lock(FMutex);
        FEnabled = false;
        FEnding = true;
    }
    FWake.notify_all();
    FThread.join();
}

bool TRxTimer::Enabled() const {
    const std::lock_guard lock(FMutex);
    return FEnabled;
}

void TRxTimer::SetEnabled(bool enabled) {
    {
        const std::lock_guard lock(FMutex);
        if (FEnabled == enabled) {
            return;
        }
        FEnabled = enabled;
    }
    Restart();
}

quint32 TRxTimer::Interval() const {
    const std::lock_guard lock(FMutex);
    return FInterval;
}

void TRxTimer::SetInterval(quint32 milliseconds) {
    {
        const std::lock_guard lock(FMutex);
        if (FInterval == milliseconds) {
            return;
        }
        FInterval = milliseconds;
    }
    Restart();
}

bool TRxTimer::SyncEvent() const {
    const std::lock_guard lock(FMutex);
    return FSyncEvent;
}

void TRxTimer::SetSyncEvent(bool sync) {
    const std::lock_guard lock(FMutex);
    FSyncEvent = sync;
}

bool TRxTimer::Threaded() const {
    const std::lock_guard lock(FMutex);
    return FThreaded;
}

void TRxTimer::SetThreaded(bool threaded) {
    {
        const std::lock_guard lock(FMutex);
        if (FThreaded == threaded) {
            return;
        }
        FThreaded = threaded;
    }
    Restart();
}

void TRxTimer::SetOnTimer(std::function<void()> onTimer) {
    bool changed = false;
    {
        const std::lock_guard lock(FMutex);
        changed = static_cast<bool>(FOnTimer) != static_cast<bool>(onTimer);
        FOnTimer = std::move(onTimer);
    }
    if (changed) {
        Restart();
    }
}

bool TRxTimer::ShouldRun() const {
    return FInterval != 0 && FEnabled && FOnTimer && !FEnding;
}

void TRxTimer::Restart() {
    bool threaded = false;
    bool run = false;
    quint32 interval = 0;
    {
        const std::lock_guard lock(FMutex);
        threaded = FThreaded;
        run = ShouldRun();
        interval = FInterval;
        FRunning = threaded && run;
        ++FPeriod;
    }
    FWake.notify_all();
    if (threaded || !run) {
        delete FWindowTimer;
        FWindowTimer = nullptr;
        return;
    }
    if (!FWindowTimer) {
        FWindowTimer = new QTimer(this);
        connect(FWindowTimer, &QTimer::timeout, this, [this] { RunTick(); });
    }
    FWindowTimer->start(static_cast<int>(std::min<quint32>(interval, INT_MAX)));
}

void TRxTimer::ThreadLoop() {
    std::unique_lock lock(FMutex);
    while (!FEnding) {
        FWake.wait(lock, [this] { return FEnding || FRunning; });
        const quint64 period = FPeriod;
        const auto interval = std::chrono::milliseconds(FInterval);
        // Only a restart or the end of the timer cuts the sleep short.
        if (FWake.wait_for(lock, interval, [&] { return FEnding || FPeriod != period; })) {
            continue;
        }
        if (!FRunning || QCoreApplication::closingDown()) {
            continue;
        }
        const bool sync = FSyncEvent;
        lock.unlock();
        if (sync) {
            RunTickOnOwnerThread();
        } else {
            RunTick();
        }
        lock.lock();
    }
}

void TRxTimer::RunTick() {
    std::function<void()> onTimer;
    {
        const std::lock_guard lock(FMutex);
        if (!FEnabled || FEnding) {
            return;
        }
        onTimer = FOnTimer;
    }
    if (!onTimer) {
        return;
    }
    try {
        onTimer();
    } catch (const std::exception& error) {
        emit TickFailed(QString::fromLocal8Bit(error.what()));
    }
}

void TRxTimer::RunTickOnOwnerThread() {
    RunOnOwnerThread([this] { RunTick(); });
}

void TRxTimer::RunOnOwnerThread(const std::function<void()>& work) {
    if (!OnTimerThread()) {
        work();
        return;
    }
    const auto done = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        this,
        [this, work, done] {
            work();
            {
                const std::lock_guard lock(FMutex);
                *done = true;
            }
            FWake.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(FMutex);
    FWake.wait(lock, [&] { return *done || FEnding; });
}

}  // namespace cinevan
