#pragma once

#include <QMutex>
#include <QMutexLocker>
#include <QtGlobal>

namespace cinevan::mci {

// The one stored set of an engine's options, shared by every device of the process: the
// configuration dialog stores a new set on the GUI thread while the engines' own threads read
// it. Readers get a copy of a whole set, taken under a lock.
//
//     struct EngineOptions : SharedOptions<EngineOptions> { bool sound = true; };
//     const EngineOptions options = EngineOptions::current();
template <typename Options>
class SharedOptions {
public:
    static Options current() {
        QMutexLocker lock(&mutex());
        return stored();
    }

    static void set(const Options& options) {
        QMutexLocker lock(&mutex());
        stored() = options;
        ++counter();
    }

    // Increases on every set(), so that a device can tell whether it is up to date.
    static quint64 generation() {
        QMutexLocker lock(&mutex());
        return counter();
    }

private:
    static QMutex& mutex() {
        static QMutex lock;
        return lock;
    }
    static Options& stored() {
        static Options options;
        return options;
    }
    static quint64& counter() {
        static quint64 count = 0;
        return count;
    }
};

}  // namespace cinevan::mci
