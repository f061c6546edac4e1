// Speed of the movie list on large lists: loading a list file, adding names, saving and
// reading every title. Each step should stay well under a second for 100 000 entries and grow
// linearly with the number of entries.

#include <benchmark/benchmark.h>

#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <map>

#include "movielist/MovieList.h"

namespace cinevan {
namespace {

QTemporaryDir& workFolder() {
    static QTemporaryDir folder;
    return folder;
}

QByteArray workFile(const char* name) {
    return QFile::encodeName(workFolder().filePath(QString::fromLatin1(name)));
}

// One line as people write them: absolute names with blanks, titles with commas and blanks,
// some covers and selections, some relative names written on Windows.
QByteArray entryLine(int i) {
    const QByteArray n = QByteArray::number(i);
    const QByteArray movie = "/home/viewer/Videos/Collection " + QByteArray::number(i % 97) +
                             "/Holiday clip " + n + ".mpg";
    switch (i % 5) {
        case 0:
            return '"' + movie + '"';
        case 1:
            return '"' + movie + "\",\"Summer, beach and sea " + n + '"';
        case 2:
            return '"' + movie + "\",\"Part " + n + "\",/home/viewer/Pictures/covers/c" + n +
                   ".jpg,0:00:10,0:02:00";
        case 3:
            return "clips\\clip" + n + ".mpg,Clip" + n + ",covers\\c" + n + ".jpg";
        default:
            return '"' + movie + "\",,,0:01:00";
    }
}

QByteArray listFile(int count) {
    static std::map<int, QByteArray> files;
    auto found = files.find(count);
    if (found != files.end()) {
        return found->second;
    }
    const QByteArray name = workFile("bench") + QByteArray::number(count) + ".mls";
    QFile file(QFile::decodeName(name));
    if (!file.open(QIODevice::WriteOnly)) {
        return {};
    }
    for (int i = 0; i < count; ++i) {
        file.write(entryLine(i) + "\r\n");
    }
    return files[count] = name;
}

void loadedList(MovieList& list, int count) {
    list.AddMovies({listFile(count)}, false);
}

void BM_LoadListFile(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const QByteArray file = listFile(count);
    for (auto _ : state) {
        MovieList list;
        list.AddMovies({file}, false);
        benchmark::DoNotOptimize(list.MovieCount());
    }
    state.SetComplexityN(count);
}

void BM_AddNames(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    QByteArrayList names;
    for (int i = 0; i < count; ++i) {
        names.append("/home/viewer/Videos/Holiday clip " + QByteArray::number(i) + ".mpg");
    }
    for (auto _ : state) {
        MovieList list;
        list.AddMovies(names, false);
        benchmark::DoNotOptimize(list.MovieCount());
    }
    state.SetComplexityN(count);
}

void BM_SaveList(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    MovieList list;
    loadedList(list, count);
    const QByteArray target = workFile("saved.mls");
    for (auto _ : state) {
        list.SaveMovies(target);
    }
    state.SetComplexityN(count);
}

void BM_ReadEveryTitle(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    MovieList list;
    loadedList(list, count);
    for (auto _ : state) {
        qsizetype total = 0;
        for (int i = 0; i < list.MovieCount(); ++i) {
            total += list.GetMovieField(i, MovieList::kTitle).size();
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetComplexityN(count);
}

constexpr int kSmall = 10'000;
constexpr int kLarge = 100'000;

BENCHMARK(BM_LoadListFile)
    ->Arg(kSmall)
    ->Arg(kLarge)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_AddNames)
    ->Arg(kSmall)
    ->Arg(kLarge)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_SaveList)
    ->Arg(kSmall)
    ->Arg(kLarge)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_ReadEveryTitle)
    ->Arg(kSmall)
    ->Arg(kLarge)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
}  // namespace cinevan

BENCHMARK_MAIN();
