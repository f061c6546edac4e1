// The libmpv client functions the driver calls, forwarded to libmpv loaded on first use.
// libmpv brings some two hundred libraries with it (FFmpeg, libplacebo, Vulkan, Lua ...):
// binding them at program start costs start-up time and memory even when the movies play
// through another device. Without libmpv the functions answer as an engine that could not
// be created, and the device reports that it cannot load its driver.
#include <dlfcn.h>
#include <mpv/client.h>
#include <mpv/stream_cb.h>

namespace {

void* library() {
    static void* const handle = [] {
        void* loaded = dlopen("libmpv.so.2", RTLD_NOW | RTLD_LOCAL);
        return loaded ? loaded : dlopen("libmpv.so", RTLD_NOW | RTLD_LOCAL);
    }();
    return handle;
}

template <typename Function>
Function resolve(const char* name) {
    void* const loaded = library();
    return loaded ? reinterpret_cast<Function>(dlsym(loaded, name)) : nullptr;
}

}  // namespace

// Each function looks its libmpv counterpart up once.
#define CINEVAN_MPV_FUNCTION(name) static const auto real = resolve<decltype(&::name)>(#name)

extern "C" {

unsigned long mpv_client_api_version(void) {
    CINEVAN_MPV_FUNCTION(mpv_client_api_version);
    return real ? real() : 0;
}

void mpv_free(void* data) {
    CINEVAN_MPV_FUNCTION(mpv_free);
    if (real) {
        real(data);
    }
}

mpv_handle* mpv_create(void) {
    CINEVAN_MPV_FUNCTION(mpv_create);
    return real ? real() : nullptr;
}

int mpv_initialize(mpv_handle* ctx) {
    CINEVAN_MPV_FUNCTION(mpv_initialize);
    return real ? real(ctx) : MPV_ERROR_UNINITIALIZED;
}

void mpv_terminate_destroy(mpv_handle* ctx) {
    CINEVAN_MPV_FUNCTION(mpv_terminate_destroy);
    if (real) {
        real(ctx);
    }
}

int mpv_set_option_string(mpv_handle* ctx, const char* name, const char* data) {
    CINEVAN_MPV_FUNCTION(mpv_set_option_string);
    return real ? real(ctx, name, data) : MPV_ERROR_UNINITIALIZED;
}

int mpv_command(mpv_handle* ctx, const char** args) {
    CINEVAN_MPV_FUNCTION(mpv_command);
    return real ? real(ctx, args) : MPV_ERROR_UNINITIALIZED;
}

int mpv_set_property(mpv_handle* ctx, const char* name, mpv_format format, void* data) {
    CINEVAN_MPV_FUNCTION(mpv_set_property);
    return real ? real(ctx, name, format, data) : MPV_ERROR_UNINITIALIZED;
}

int mpv_set_property_string(mpv_handle* ctx, const char* name, const char* data) {
    CINEVAN_MPV_FUNCTION(mpv_set_property_string);
    return real ? real(ctx, name, data) : MPV_ERROR_UNINITIALIZED;
}

int mpv_get_property(mpv_handle* ctx, const char* name, mpv_format format, void* data) {
    CINEVAN_MPV_FUNCTION(mpv_get_property);
    return real ? real(ctx, name, format, data) : MPV_ERROR_UNINITIALIZED;
}

char* mpv_get_property_string(mpv_handle* ctx, const char* name) {
    CINEVAN_MPV_FUNCTION(mpv_get_property_string);
    return real ? real(ctx, name) : nullptr;
}

int mpv_observe_property(mpv_handle* mpv, uint64_t reply_userdata, const char* name,
                         mpv_format format) {
    CINEVAN_MPV_FUNCTION(mpv_observe_property);
    return real ? real(mpv, reply_userdata, name, format) : MPV_ERROR_UNINITIALIZED;
}

mpv_event* mpv_wait_event(mpv_handle* ctx, double timeout) {
    CINEVAN_MPV_FUNCTION(mpv_wait_event);
    if (real) {
        return real(ctx, timeout);
    }
    static mpv_event nothing{};  // MPV_EVENT_NONE
    return &nothing;
}

void mpv_set_wakeup_callback(mpv_handle* ctx, void (*cb)(void* d), void* d) {
    CINEVAN_MPV_FUNCTION(mpv_set_wakeup_callback);
    if (real) {
        real(ctx, cb, d);
    }
}

int mpv_stream_cb_add_ro(mpv_handle* ctx, const char* protocol, void* user_data,
                         mpv_stream_cb_open_ro_fn open_fn) {
    CINEVAN_MPV_FUNCTION(mpv_stream_cb_add_ro);
    return real ? real(ctx, protocol, user_data, open_fn) : MPV_ERROR_UNINITIALIZED;
}

}  // extern "C"
