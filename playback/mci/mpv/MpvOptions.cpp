#include "playback/mci/mpv/MpvOptions.h"

#include <QMutex>
#include <QMutexLocker>

namespace cinevan::mci {

namespace {

QMutex& optionsMutex() {
    static QMutex mutex;
    return mutex;
}

MpvOptions& storedOptions() {
    static MpvOptions options;
    return options;
}

quint64& storedGeneration() {
    static quint64 generation = 0;
    return generation;
}

}  // namespace

MpvOptions MpvOptions::current() {
    QMutexLocker lock(&optionsMutex());
    return storedOptions();
}

void MpvOptions::set(const MpvOptions& options) {
    QMutexLocker lock(&optionsMutex());
    storedOptions() = options;
    ++storedGeneration();
}

quint64 MpvOptions::generation() {
    QMutexLocker lock(&optionsMutex());
    return storedGeneration();
}

QString MpvOptions::effectiveAudioOutput() const {
    if (!audioOutput.isEmpty()) {
        return audioOutput;
    }
    return qEnvironmentVariable("CINEVAN_AUDIO_OUTPUT");
}

}  // namespace cinevan::mci
