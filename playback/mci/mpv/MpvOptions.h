#pragma once

#include <QString>

#include "playback/mci/SharedOptions.h"

namespace cinevan::mci {

// Engine settings shared by every libmpv device of the process; the configuration dialog
// changes them and open devices pick them up at their next play or resume.
struct MpvOptions : SharedOptions<MpvOptions> {
    bool hardwareDecoding = false;
    // libmpv audio output name; empty = CINEVAN_AUDIO_OUTPUT if set, else automatic.
    QString audioOutput;

    // The audio output to give libmpv, or empty for its automatic choice.
    QString effectiveAudioOutput() const;
    QString hwdecValue() const { return hardwareDecoding ? "auto-copy" : "no"; }
};

}  // namespace cinevan::mci
