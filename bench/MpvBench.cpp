// libmpv driver ("ActiveMovie") beside the mpv command-line player on the same file:
// open-to-first-frame time and the process CPU time spent on 10 s of playback.
// With a display (DISPLAY set) the engine draws with its own video output into our surface's
// native window in a shown window and mpv draws with --vo=gpu (EGL on X11); without one our
// device decodes without output and mpv runs with --vo=null. Sound goes to the null output in
// both.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <cstdio>

#include "bench/BenchSupport.h"
#include "playback/mci/mpv/MpvDevice.h"
#include "playback/mci/mpv/MpvSurface.h"

namespace {

using namespace cinevan::test;

// True once the screen shows something other than black where the surface is.
bool showsPicture(const QWidget& surface) {
    const QPoint origin = surface.mapToGlobal(QPoint(0, 0));
    const QImage shown =
        surface.screen()
            ->grabWindow(0, origin.x(), origin.y(), surface.width(), surface.height())
            .toImage();
    for (int y = 0; y < shown.height(); y += 16) {
        for (int x = 0; x < shown.width(); x += 16) {
            if (qGray(shown.pixel(x, y)) > 40) {
                return true;
            }
        }
    }
    return false;
}

// mpv with matching outputs: OpenGL on X11 like our surface; mpv's automatic choice would try
// a KMS console first.
double mpvCpuSeconds() {
    return HasDisplay() ? MpvCpuSeconds({"--vo=gpu", "--gpu-context=x11egl"})
                        : MpvCpuSeconds({"--vo=null", "--gpu-context=auto"});
}

// A window holding the video, shown when there is a display to show it on.
struct Host {
    QWidget widget;
    bool exposed = false;
    Host() {
        widget.resize(352, 288);
        if (HasDisplay()) {
            widget.show();
            exposed = QTest::qWaitForWindowExposed(&widget);
        }
    }
};

bool openOn(cinevan::mci::MpvDevice& device, Host& host) {
    if (device.openElement(LongMovie()) != 0) {
        return false;
    }
    device.putDestination(QRect(0, 0, 352, 288));
    device.window(&host.widget);
    return true;
}

void MpvOpenToFirstFrame(benchmark::State& state) {
    Host host;
    LongMovie();  // the fixtures are made outside the measured time
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        cinevan::mci::MpvDevice device;
        if (!openOn(device, host)) {
            state.SkipWithError("open failed");
            return;
        }
        // Without a display the opening call returns once the first frame is decoded.
        while (HasDisplay() && !showsPicture(*device.surface()) && timer.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
    }
}
BENCHMARK(MpvOpenToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void MpvPlaybackCpuAgainstMpv(benchmark::State& state) {
    double ours = 0;
    double reference = 0;
    for (auto _ : state) {
        Host host;
        cinevan::mci::MpvDevice device;
        if (!openOn(device, host)) {
            state.SkipWithError("open failed");
            return;
        }
        const double before = CpuSeconds();
        device.play(0, kPlayMs);
        QTest::qWait(kPlayMs);
        ours = CpuSeconds() - before;
        reference = mpvCpuSeconds();
    }
    const double ratio = reference > 0 ? ours / reference : 0.0;
    state.counters["driver_cpu_s"] = ours;
    state.counters["mpv_cpu_s"] = reference;
    state.counters["driver_per_mpv"] = ratio;
    std::printf(
        "%s output: libmpv driver %.2f s CPU, mpv %.2f s CPU, "
        "ratio %.2f\n",
        HasDisplay() ? "display" : "null", ours, reference, ratio);
}
BENCHMARK(MpvPlaybackCpuAgainstMpv)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    return cinevan::test::RunBenchmarks(argc, argv, !cinevan::test::HasDisplay());
}
