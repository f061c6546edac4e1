#include "playback/mci/mpv/MpvHandle.h"

#include <mpv/client.h>

#include <clocale>
#include <cstring>

#include "platform/BoundedCall.h"

namespace cinevan::mci {

namespace {

// How long closing waits for the engine to stop; one stuck on its source is left behind.
constexpr int kCloseWaitMs = 500;

// libmpv refuses to start unless numbers are formatted the C way.
void ensureCNumericLocale() {
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    if (!current || std::strcmp(current, "C") != 0) {
        std::setlocale(LC_NUMERIC, "C");
    }
}

}  // namespace

MpvHandle::MpvHandle() {
    ensureCNumericLocale();
    handle_ = mpv_create();
}

MpvHandle::~MpvHandle() {
    if (handle_) {
        mpv_handle* engine = handle_;
        runWithin(QDeadlineTimer(kCloseWaitMs), [engine] { mpv_terminate_destroy(engine); });
    }
}

int MpvHandle::setOption(const char* name, const QString& value) {
    return mpv_set_option_string(handle_, name, value.toUtf8().constData());
}

int MpvHandle::initialize() {
    return mpv_initialize(handle_);
}

void MpvHandle::abandon() {
    if (!handle_) {
        return;
    }
    mpv_handle* stuck = handle_;
    handle_ = nullptr;
    runWithin(QDeadlineTimer(0), [stuck] { mpv_terminate_destroy(stuck); });
}

}  // namespace cinevan::mci
