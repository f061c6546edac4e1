#include "app/TerminationSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

namespace cinevan {

namespace {

// The pipe end the handler writes into; -1 while no TerminationSignals object exists.
volatile sig_atomic_t gWriteEnd = -1;

extern "C" void WriteSignalNumber(int signalNumber) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(gWriteEnd, &byte, 1);
    errno = savedErrno;
}

}  // namespace

// The pipe and the handlers that were in place before; both are given back on destruction.
struct TerminationSignals::Handlers {
    std::array<struct sigaction, kSignals.size()> previous{};
    bool installed = false;
    int readEnd = -1;
    int writeEnd = -1;

    Handlers() {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
            return;  // the program runs on; these signals then end it as they always do
        }
        readEnd = ends[0];
        writeEnd = ends[1];
        gWriteEnd = writeEnd;
        struct sigaction action {};
        action.sa_handler = WriteSignalNumber;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            ::sigaction(kSignals[i], &action, &previous[i]);
        }
        installed = true;
    }

    ~Handlers() {
        Restore();
        gWriteEnd = -1;
        for (const int end : {readEnd, writeEnd}) {
            if (end >= 0) {
                ::close(end);
            }
        }
    }

    Handlers(const Handlers&) = delete;
    Handlers& operator=(const Handlers&) = delete;

    void Restore() {
        if (!installed) {
            return;
        }
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            ::sigaction(kSignals[i], &previous[i], nullptr);
        }
        installed = false;
    }
};

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent), handlers_(std::make_unique<Handlers>()) {
    if (handlers_->readEnd >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(handlers_->readEnd, QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationSignals::ReadPipe);
    }
}

TerminationSignals::~TerminationSignals() = default;

void TerminationSignals::ReadPipe() {
    unsigned char byte = 0;
    int received = 0;
    while (::read(handlers_->readEnd, &byte, 1) == 1) {
        received = received ? received : byte;
    }
    if (received) {
        handlers_->Restore();
        notifier_->setEnabled(false);
        emit Received(received);
    }
}

}  // namespace cinevan
