#include "movielist/ListSaver.h"

#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>

#include "movielist/MovieListErrors.h"
#include "movielist/MovieListFile.h"

namespace cinevan {

// What the writing thread shares with the saver, which may give the write up or go away.
class ListSaver::Write {
public:
    Write(ListSaver* receiver, QByteArray fileName, Failed failed)
        : FReceiver(receiver), FFileName(std::move(fileName)), FFailed(std::move(failed)) {}

    // Writing thread.
    void Run(const QByteArray& text) {
        QString error;
        try {
            movielistfile::writeText(FFileName, text, [this] { return MayCommit(); });
        } catch (const std::exception& failure) {
            error = QString::fromLocal8Bit(failure.what());
        }
        const std::lock_guard lock(FMutex);
        FEnded = true;
        FError = error;
        FChanged.notify_all();
        if (FReceiver) {
            ListSaver* receiver = FReceiver;
            QMetaObject::invokeMethod(
                receiver,
                [receiver, self = FSelf.lock()] {
                    if (self) {
                        receiver->Report(self);
                    }
                },
                Qt::QueuedConnection);
        }
    }

    // GUI thread.
    void Start(const std::shared_ptr<Write>& self) { FSelf = self; }
    bool WaitForEnd(std::chrono::milliseconds limit) {
        std::unique_lock lock(FMutex);
        return FChanged.wait_for(lock, limit, [this] { return FEnded; });
    }
    bool Ended() {
        const std::lock_guard lock(FMutex);
        return FEnded;
    }
    QString Error() {
        const std::lock_guard lock(FMutex);
        return FError;
    }
    // Gives the write up unless it is replacing the file already; true when given up.
    bool Abandon() {
        const std::lock_guard lock(FMutex);
        if (FCommitting) {
            return false;
        }
        FAbandoned = true;
        return true;
    }
    void Detach() {
        const std::lock_guard lock(FMutex);
        FReceiver = nullptr;
    }
    const QByteArray& FileName() const { return FFileName; }
    const Failed& OnFailure() const { return FFailed; }

private:
    bool MayCommit() {
        const std::lock_guard lock(FMutex);
        FCommitting = !FAbandoned;
        return FCommitting;
    }

    std::mutex FMutex;
    std::condition_variable FChanged;
    bool FEnded = false;
    bool FCommitting = false;
    bool FAbandoned = false;
    QString FError;
    ListSaver* FReceiver;
    const QByteArray FFileName;
    const Failed FFailed;
    std::weak_ptr<Write> FSelf;
};

ListSaver::ListSaver(QObject* parent, std::chrono::milliseconds giveUp)
    : QObject(parent), FGiveUp(giveUp) {}

ListSaver::~ListSaver() {
    // A save still going on may yet complete; only its report has nobody to go to.
    for (const std::shared_ptr<Write>& write : FPending) {
        write->Detach();
    }
}

int ListSaver::Pending() const {
    return static_cast<int>(FPending.size());
}

void ListSaver::Save(const QByteArray& fileName, const QByteArray& text, Failed failed) {
    auto write = std::make_shared<Write>(this, fileName, std::move(failed));
    write->Start(write);
    std::thread([write, text] { write->Run(text); }).detach();
    if (write->WaitForEnd(kQuickWait)) {
        write->Detach();
        const QString error = write->Error();
        if (!error.isEmpty()) {
            throw EFCreateError(fileName);
        }
        return;
    }
    FPending.push_back(write);
    QTimer::singleShot(FGiveUp, this, [this, weak = std::weak_ptr<Write>(write)] {
        if (const auto pending = weak.lock()) {
            GiveUp(pending);
        }
    });
}

void ListSaver::Report(const std::shared_ptr<Write>& write) {
    if (std::find(FPending.begin(), FPending.end(), write) == FPending.end()) {
        return;
    }
    Forget(write);
    const QString error = write->Error();
    if (!error.isEmpty() && write->OnFailure()) {
        write->OnFailure()(error);
    }
}

void ListSaver::GiveUp(const std::shared_ptr<Write>& write) {
    if (std::find(FPending.begin(), FPending.end(), write) == FPending.end() || write->Ended() ||
        !write->Abandon()) {
        // It ended, or is replacing the file now: its own report follows.
        return;
    }
    Forget(write);
    if (write->OnFailure()) {
        write->OnFailure()(QString::fromLocal8Bit(EFCreateError(write->FileName()).what()));
    }
}

void ListSaver::Forget(const std::shared_ptr<Write>& write) {
    write->Detach();
    FPending.erase(std::remove(FPending.begin(), FPending.end(), write), FPending.end());
}

}  // namespace cinevan
