#pragma once

#include <QString>

namespace cinevan::mci {

// Engine settings shared by every libmpv device of the process; the configuration dialog
// changes them and open devices pick them up at their next play or resume.
struct MpvOptions {
    bool hardwareDecoding = false;
    // libmpv audio output name; empty = CINEVAN_AUDIO_OUTPUT if set, else automatic.
    QString audioOutput;

    static MpvOptions current();
    static void set(const MpvOptions& options);
    // Increases on every set(), so that a device can tell whether it is up to date.
    static quint64 generation();

    // The audio output to give libmpv, or empty for its automatic choice.
    QString effectiveAudioOutput() const;
    QString hwdecValue() const { return hardwareDecoding ? "auto-copy" : "no"; }
};

}  // namespace cinevan::mci
