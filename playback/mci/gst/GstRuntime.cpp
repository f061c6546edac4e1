#include "playback/mci/gst/GstRuntime.h"

#include <gst/gst.h>

#include <mutex>

#include "playback/mci/gst/GstDecoderChoice.h"
#include "playback/mci/gst/GstHandles.h"

namespace cinevan::mci::gst {

bool ensureInitialized() {
    static std::once_flag once;
    static bool initialized = false;
    std::call_once(once, [] {
        GError* error = nullptr;
        initialized = gst_init_check(nullptr, nullptr, &error);
        if (error != nullptr) {
            g_error_free(error);
        }
        if (initialized) {
            preferLightMpegDecoders();
        }
    });
    return initialized;
}

QString versionText() {
    if (!ensureInitialized()) {
        return QStringLiteral("GStreamer");
    }
    const CharPtr text(gst_version_string());
    return QString::fromUtf8(text.get());
}

}  // namespace cinevan::mci::gst
