#pragma once

#include <gst/gst.h>

namespace cinevan::test {

// Whether GStreamer's plug-in `name` has been loaded into this process (not only registered).
inline bool pluginLoaded(const char* name) {
    GstPlugin* plugin = gst_registry_find_plugin(gst_registry_get(), name);
    if (plugin == nullptr) {
        return false;
    }
    const bool loaded = gst_plugin_is_loaded(plugin);
    gst_object_unref(plugin);
    return loaded;
}

}  // namespace cinevan::test
