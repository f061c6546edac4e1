#pragma once

#include <QObject>
#include <QString>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class QTimer;

namespace cinevan {

// A timer that ticks on a thread of its own (the default) or through a window timer on the
// user-interface thread. On its thread it sleeps for the interval and then runs the tick:
// directly, or on the user-interface thread while the thread waits, when SyncEvent is set.
// The effective period is the interval plus the time the tick takes.
//
// Any change of Enabled, Interval, Threaded or OnTimer restarts the period. Disabling the
// timer means no further tick starts; a tick already running on the timer thread finishes.
// Destruction stops the thread without another tick and waits for a running tick to end.
class TRxTimer : public QObject {
    Q_OBJECT

public:
    explicit TRxTimer(QObject* parent = nullptr);
    ~TRxTimer() override;
    TRxTimer(const TRxTimer&) = delete;
    TRxTimer& operator=(const TRxTimer&) = delete;

    bool Enabled() const;
    void SetEnabled(bool enabled);
    quint32 Interval() const;
    void SetInterval(quint32 milliseconds);
    bool SyncEvent() const;
    void SetSyncEvent(bool sync);
    bool Threaded() const;
    void SetThreaded(bool threaded);
    void SetOnTimer(std::function<void()> onTimer);

    // True on the timer's own thread, that is inside a tick that runs there.
    bool OnTimerThread() const { return std::this_thread::get_id() == FThread.get_id(); }

    // Runs `work` on the user-interface thread and waits for it, from the timer thread; gives
    // up waiting when the timer is being destroyed. Elsewhere runs `work` directly.
    void RunOnOwnerThread(const std::function<void()>& work);

signals:
    // A tick raised an exception; delivered on the user-interface thread.
    void TickFailed(const QString& message);

private:
    void Restart();
    bool ShouldRun() const;  // call with FMutex held
    void ThreadLoop();
    void RunTick();
    void RunTickOnOwnerThread();

    mutable std::mutex FMutex;
    std::condition_variable FWake;
    bool FEnabled = true;
    quint32 FInterval = 1000;
    bool FSyncEvent = true;
    bool FThreaded = true;
    bool FRunning = false;  // the thread is resumed
    bool FEnding = false;
    quint64 FPeriod = 0;  // counts restarts, so that a sleeping thread starts a new period
    std::function<void()> FOnTimer;
    QTimer* FWindowTimer = nullptr;
    std::thread FThread;
};

}  // namespace cinevan
