// libmpv driver ("ActiveMovie") beside the mpv command-line player on the same file:
// open-to-first-frame time and the process CPU time spent on 10 s of playback.
// With a display (DISPLAY set) the engine draws with its own video output into our surface's
// native window in a shown window and mpv draws with --vo=gpu (EGL on X11); without one our
// device decodes without output and mpv runs with --vo=null. Sound goes to the null output in
// both.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <clocale>
#include <cstdio>

#include "playback/mci/mpv/MpvDevice.h"
#include "playback/mci/mpv/MpvSurface.h"

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

double seconds(const timeval& t) {
    return double(t.tv_sec) + t.tv_usec / 1e6;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The reference: mpv playing the first 10 s of the same file with matching outputs.
double mpvCpuSeconds() {
    const QByteArray file = movie().toLocal8Bit();
    // OpenGL on X11 like our surface; mpv's automatic choice would try a KMS console first.
    const char* vo = hasDisplay() ? "--vo=gpu" : "--vo=null";
    const char* context = hasDisplay() ? "--gpu-context=x11egl" : "--gpu-context=auto";
    const pid_t child = fork();
    if (child == 0) {
        execlp("mpv", "mpv", "--no-config", "--really-quiet", vo, context, "--ao=null",
               "--length=10", file.constData(), static_cast<char*>(nullptr));
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

// A window holding the video, shown when there is a display to show it on.
struct Host {
    QWidget widget;
    bool exposed = false;
    Host() {
        widget.resize(352, 288);
        if (hasDisplay()) {
            widget.show();
            exposed = QTest::qWaitForWindowExposed(&widget);
        }
    }
};

bool openOn(cinevan::mci::MpvDevice& device, Host& host) {
    if (device.openElement(movie()) != 0) {
        return false;
    }
    device.putDestination(QRect(0, 0, 352, 288));
    device.window(&host.widget);
    return true;
}

void MpvOpenToFirstFrame(benchmark::State& state) {
    Host host;
    movie();  // the fixtures are made outside the measured time
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        cinevan::mci::MpvDevice device;
        if (!openOn(device, host)) {
            state.SkipWithError("open failed");
            return;
        }
        // Without a display the opening call returns once the first frame is decoded.
        while (hasDisplay() && !showsPicture(*device.surface()) && timer.elapsed() < 5000) {
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
        const double before = cpuSeconds();
        device.play(0, kPlayMs);
        QTest::qWait(kPlayMs);
        ours = cpuSeconds() - before;
        reference = mpvCpuSeconds();
    }
    const double ratio = reference > 0 ? ours / reference : 0.0;
    state.counters["driver_cpu_s"] = ours;
    state.counters["mpv_cpu_s"] = reference;
    state.counters["driver_per_mpv"] = ratio;
    std::printf(
        "%s output: libmpv driver %.2f s CPU, mpv %.2f s CPU, "
        "ratio %.2f\n",
        hasDisplay() ? "display" : "null", ours, reference, ratio);
}
BENCHMARK(MpvPlaybackCpuAgainstMpv)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("CINEVAN_AUDIO_OUTPUT")) {
        qputenv("CINEVAN_AUDIO_OUTPUT", "null");  // same as mpv's --ao=null
    }
    if (!hasDisplay()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
