#pragma once

#include <QObject>
#include <array>
#include <csignal>
#include <memory>

class QSocketNotifier;

namespace cinevan {

// Turns the requests to end the program that arrive as POSIX signals (SIGTERM, SIGINT,
// SIGHUP: a logout, a closed terminal, Ctrl+C, kill) into the Qt signal Received, delivered
// on the GUI thread, so that the program can end as it does when its window is closed. The
// signal handler only writes the signal number into a pipe; the event loop reads it.
//
// After the first request the previous handlers are back in place, so that a second one ends
// the program at once should the orderly end hang. One object may exist at a time; its
// destruction restores the previous handlers too.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    static constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};

    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

signals:
    void Received(int signalNumber);

private:
    struct Handlers;

    void ReadPipe();

    std::unique_ptr<Handlers> handlers_;
    // Declared after the pipe so that it goes before the pipe's ends are closed.
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace cinevan
