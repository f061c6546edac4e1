#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QObject>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "movielist/NameGathering.h"

namespace cinevan {

// Adds names to the movie list without holding up the GUI thread on the file system. The names
// of a request are looked at on a thread of their own (see NameGatherer), and their entries are
// handed back on the GUI thread name by name, in the order given, so the list fills while the
// window goes on answering. Requests run one after another, in the order they are made.
//
// A request whose names are all looked at within kQuickWait is finished before Add returns, so
// that adding files from healthy storage looks exactly as a plain call would.
class MovieAdder : public QObject {
public:
    static constexpr std::chrono::milliseconds kQuickWait{500};

    // Applies entries on the GUI thread.
    using Apply = std::function<void(const GatheredNames&)>;
    // Runs on the GUI thread once every name of a request has been applied; `late` when that
    // is after Add returned, from the event loop, the user having had the window meanwhile.
    using Done = std::function<void(bool late)>;

    explicit MovieAdder(QObject* parent = nullptr);
    ~MovieAdder() override;
    MovieAdder(const MovieAdder&) = delete;
    MovieAdder& operator=(const MovieAdder&) = delete;

    // Resolves relative names against the current folder as it is now; with `setFolder` the
    // folder of the first name becomes the current folder once the names are looked at.
    void Add(QByteArrayList names, bool setFolder, Apply apply, Done done = {});

    // Drops every request that has not finished: nothing more of them is applied and their
    // Done does not run. Work stuck on the file system is left to end by itself.
    void CancelAll();

    bool Busy() const { return FRunning.has_value() || !FPending.empty(); }

    // The shared state of one request's work; defined with the adder.
    class Work;

private:
    struct Request {
        QByteArrayList names;
        QByteArray here;
        bool setFolder;
        Apply apply;
        Done done;
    };
    struct Running {
        std::shared_ptr<Work> work;
        QByteArray here;
        Apply apply;
        Done done;
        bool applied = false;
    };

    void StartNext(bool waitQuickly);
    // Applies what the running request has gathered so far; finishes it when it is complete.
    void Drain(bool late);
    void Abandon();

    std::deque<Request> FPending;
    std::optional<Running> FRunning;
};

}  // namespace cinevan
