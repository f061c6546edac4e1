#pragma once

#include <QString>

struct mpv_handle;

namespace cinevan::mci {

// Owns one libmpv player instance, from mpv_create() to mpv_terminate_destroy(). Destroying
// waits for the engine to stop for a moment only; an engine stuck on its source is finished
// on a thread of its own.
class MpvHandle {
public:
    MpvHandle();
    ~MpvHandle();
    MpvHandle(const MpvHandle&) = delete;
    MpvHandle& operator=(const MpvHandle&) = delete;

    // Null when libmpv could not create an instance.
    mpv_handle* get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    // Sets an option before initialize(); returns the libmpv error code (0 = done).
    int setOption(const char* name, const QString& value);
    int initialize();

    // Lets go of an instance whose core may be stuck in a blocking read (a stalled source):
    // it is destroyed on a background thread, so that closing never hangs the caller.
    void abandon();

private:
    mpv_handle* handle_ = nullptr;
};

}  // namespace cinevan::mci
