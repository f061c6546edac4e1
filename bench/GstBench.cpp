// GStreamer driver ("MPEGVideo") beside the mpv command-line player on the same file:
// open-to-first-frame time (of a movie new to the process and of one opened before) and the
// process CPU time spent on 10 s of playback.
// With a display (DISPLAY set) the video is shown in a real window and mpv draws with x11;
// without one the movie plays unseen and mpv runs with --vo=null.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <cstdio>

#include "bench/BenchSupport.h"
#include "playback/mci/gst/GstDevice.h"

namespace {

using namespace cinevan::test;

// mpv with matching outputs.
double mpvCpuSeconds() {
    return MpvCpuSeconds({HasDisplay() ? "--vo=x11" : "--vo=null"});
}

// A movie the process has not measured before: a copy of its own in every iteration.
void GstOpenToFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("movie.mpg"));
        QFile::copy(LongMovie(), copy);
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        cinevan::mci::GstDevice device;
        if (device.openElement(copy) != 0) {
            state.SkipWithError("open failed");
            return;
        }
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
    }
}
BENCHMARK(GstOpenToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The same movie again, as a looping list opens it: its length is known already.
void GstReopenToFirstFrame(benchmark::State& state) {
    if (cinevan::mci::GstDevice first; first.openElement(LongMovie()) != 0) {
        state.SkipWithError("open failed");
        return;
    }
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        cinevan::mci::GstDevice device;
        if (device.openElement(LongMovie()) != 0) {
            state.SkipWithError("open failed");
            return;
        }
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
    }
}
BENCHMARK(GstReopenToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void GstPlaybackCpuAgainstMpv(benchmark::State& state) {
    double ours = 0;
    double reference = 0;
    for (auto _ : state) {
        QWidget host;
        host.resize(352, 288);
        if (HasDisplay()) {
            host.show();
        }
        cinevan::mci::GstDevice device;
        if (device.openElement(LongMovie()) != 0) {
            state.SkipWithError("open failed");
            return;
        }
        device.putDestination(QRect(0, 0, 352, 288));
        device.window(&host);
        const double before = CpuSeconds();
        device.play(0, kPlayMs);
        QTest::qWait(kPlayMs);
        ours = CpuSeconds() - before;
        reference = mpvCpuSeconds();
    }
    state.counters["gst_cpu_s"] = ours;
    state.counters["mpv_cpu_s"] = reference;
    state.counters["gst_per_mpv"] = reference > 0 ? ours / reference : 0;
    std::printf("%s output: GStreamer driver %.2f s CPU, mpv %.2f s CPU, ratio %.2f\n",
                HasDisplay() ? "display" : "null", ours, reference,
                reference > 0 ? ours / reference : 0.0);
}
BENCHMARK(GstPlaybackCpuAgainstMpv)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    return cinevan::test::RunBenchmarks(argc, argv, !cinevan::test::HasDisplay());
}
