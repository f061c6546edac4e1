#pragma once

#include <gst/gst.h>

#include "playback/mci/SharedOptions.h"

namespace cinevan::mci::gst {

// Settings of the GStreamer driver that its configuration dialog changes; devices opened
// afterwards use them.
struct GstOptions : SharedOptions<GstOptions> {
    bool sound = true;          // play the sound track
    bool smoothScaling = true;  // filter the picture when it is stretched
};

// A new audio sink for a pipeline. The environment variable CINEVAN_AUDIO_OUTPUT chooses it
// before the options do: "null" plays no sound (a fake sink that still keeps time), "auto" or
// unset picks the system's output, any other value names a GStreamer sink ("pulse",
// "alsasink"). Falls back to the automatic output when the named sink does not exist; the
// automatic output itself plays into a fake sink when the machine has no sound device.
GstElement* makeAudioSink(bool sound);

// Whether makeAudioSink(sound) plays into the silent fake sink without looking for an output.
bool silentAudioOutput(bool sound);

}  // namespace cinevan::mci::gst
