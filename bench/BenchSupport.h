#pragma once

// What the benchmarks of the player's engines share: the media fixtures, the process CPU time
// beside the mpv command-line player's, and a main with the program's audio and display set-up.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QProcess>
#include <QString>
#include <clocale>
#include <initializer_list>
#include <vector>

namespace cinevan::test {

// A media fixture by name (see tests/fixtures/make-media.sh); the fixtures are made on the
// first call.
inline QString BenchMedia(const QString& name) {
    static const QString folder = [] {
        const QString path = QStringLiteral(CINEVAN_BENCH_FIXTURES);
        QProcess::execute(
            "bash", {QStringLiteral(CINEVAN_SOURCE_DIR) + "/tests/fixtures/make-media.sh", path});
        return path;
    }();
    return folder + "/" + name;
}

// How long the engines and the reference play for a CPU comparison.
constexpr int kPlayMs = 10000;

// The movie the engines and the reference play: MPEG-1, longer than kPlayMs.
inline QString LongMovie() {
    return BenchMedia(QStringLiteral("long-mpeg1.mpg"));
}

inline bool HasDisplay() {
    return qEnvironmentVariableIsSet("DISPLAY");
}

inline double Seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
}

// User and system CPU time of this process so far.
inline double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

// The reference: the CPU time of mpv playing the first kPlayMs of LongMovie() with the video
// `outputs` given and no sound; -1 when mpv failed.
inline double MpvCpuSeconds(std::initializer_list<const char*> outputs) {
    const QByteArray file = LongMovie().toLocal8Bit();
    const QByteArray length = "--length=" + QByteArray::number(kPlayMs / 1000.0);
    std::vector<const char*> args = {"mpv", "--no-config", "--really-quiet"};
    args.insert(args.end(), outputs);
    args.insert(args.end(), {"--ao=null", length.constData(), file.constData(), nullptr});
    const pid_t child = fork();
    if (child == 0) {
        execvp("mpv", const_cast<char* const*>(args.data()));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1;
    }
    return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

// Runs the registered benchmarks in an application with the null sound output (as mpv's
// --ao=null) unless another is asked for, drawn off screen when `offscreen`.
inline int RunBenchmarks(int argc, char** argv, bool offscreen) {
    if (!qEnvironmentVariableIsSet("CINEVAN_AUDIO_OUTPUT")) {
        qputenv("CINEVAN_AUDIO_OUTPUT", "null");
    }
    if (offscreen) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // libmpv reads numbers in the C locale only.
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace cinevan::test
