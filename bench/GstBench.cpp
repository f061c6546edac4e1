// GStreamer driver ("MPEGVideo") beside the mpv command-line player on the same file:
// open-to-first-frame time and the process CPU time spent on 10 s of playback.
// With a display (DISPLAY set) the video is shown in a real window and mpv draws with x11;
// without one the surface is painted off screen and mpv runs with --vo=null.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

#include "playback/mci/gst/GstDevice.h"

namespace {

constexpr int kPlayMs = 10000;

QString movie() {
    static const QString path = [] {
        const QString folder = QStringLiteral(CINEVAN_BENCH_FIXTURES);
        QProcess::execute(
            "bash", {QStringLiteral(CINEVAN_SOURCE_DIR) + "/tests/fixtures/make-media.sh", folder});
        return folder + "/long-mpeg1.mpg";
    }();
    return path;
}

bool hasDisplay() {
    return qEnvironmentVariableIsSet("DISPLAY");
}

double seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
}

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The reference: mpv playing the first 10 s of the same file with matching outputs.
double mpvCpuSeconds() {
    const QByteArray file = movie().toLocal8Bit();
    const char* vo = hasDisplay() ? "--vo=x11" : "--vo=null";
    const pid_t child = fork();
    if (child == 0) {
        execlp("mpv", "mpv", "--no-config", "--really-quiet", vo, "--ao=null", "--length=10",
               file.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1;
    }
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void GstOpenToFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        cinevan::mci::GstDevice device;
        if (device.openElement(movie()) != 0) {
            state.SkipWithError("open failed");
            return;
        }
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
    }
}
BENCHMARK(GstOpenToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void GstPlaybackCpuAgainstMpv(benchmark::State& state) {
    double ours = 0;
    double reference = 0;
    for (auto _ : state) {
        QWidget host;
        host.resize(352, 288);
        if (hasDisplay()) {
            host.show();
        }
        cinevan::mci::GstDevice device;
        if (device.openElement(movie()) != 0) {
            state.SkipWithError("open failed");
            return;
        }
        device.putDestination(QRect(0, 0, 352, 288));
        device.window(&host);
        const double before = cpuSeconds(RUSAGE_SELF);
        device.play(0, kPlayMs);
        QTest::qWait(kPlayMs);
        ours = cpuSeconds(RUSAGE_SELF) - before;
        reference = mpvCpuSeconds();
    }
    state.counters["gst_cpu_s"] = ours;
    state.counters["mpv_cpu_s"] = reference;
    state.counters["gst_per_mpv"] = reference > 0 ? ours / reference : 0;
    std::printf("%s output: GStreamer driver %.2f s CPU, mpv %.2f s CPU, ratio %.2f\n",
                hasDisplay() ? "display" : "null", ours, reference,
                reference > 0 ? ours / reference : 0.0);
}
BENCHMARK(GstPlaybackCpuAgainstMpv)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("CINEVAN_AUDIO_OUTPUT")) {
        qputenv("CINEVAN_AUDIO_OUTPUT", "null");  // same as mpv's --ao=null
    }
    if (!hasDisplay()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
