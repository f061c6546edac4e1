#include "playback/mci/mpv/MpvOptions.h"

namespace cinevan::mci {

QString MpvOptions::effectiveAudioOutput() const {
    if (!audioOutput.isEmpty()) {
        return audioOutput;
    }
    return qEnvironmentVariable("CINEVAN_AUDIO_OUTPUT");
}

}  // namespace cinevan::mci
