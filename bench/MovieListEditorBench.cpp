// Speed of the Movie List Editor on large lists: every change of the list rebuilds the editor's
// items from the titles of all entries, and a change of the current entry only repaints it.
// A rebuild of 10 000 entries should stay well under a tenth of a second.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListWidget>
#include <QTimer>
#include <cstdlib>
#include <memory>

#include "playback/mci/DeviceLayer.h"
#include "ui/Main.h"
#include "ui/MovieList.h"

namespace cinevan {
namespace {

// The main window and the editor over a list of `count` entries, without any media device.
struct Windows {
    explicit Windows(int count) : main(std::make_unique<TFormMain>(layer)) {
        main->TimerOpen->stop();
        editor = std::make_unique<TFormMovieList>(main->Player(), main.get());
        main->SetCompanions({.editor = editor.get()});
        QByteArrayList names;
        for (int i = 0; i < count; ++i) {
            names.append("/home/viewer/Videos/Holiday clip " + QByteArray::number(i) + ".mpg");
        }
        main->Player().List().AddMovies(names, false);
        editor->show();
    }

    mci::DeviceLayer layer;
    std::unique_ptr<TFormMain> main;
    std::unique_ptr<TFormMovieList> editor;
};

void BM_RebuildEditorItems(benchmark::State& state) {
    Windows windows(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        windows.editor->RefreshList(true);
        benchmark::DoNotOptimize(windows.editor->ListBoxMovies->count());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_RebuildEditorItems)->Range(100, 10000)->Complexity()->Unit(benchmark::kMillisecond);

void BM_RepaintAfterCurrentEntryChange(benchmark::State& state) {
    Windows windows(static_cast<int>(state.range(0)));
    int target = 0;
    for (auto _ : state) {
        target = (target + 1) % static_cast<int>(state.range(0));
        windows.main->Player().GoToMovie(target);
        windows.editor->ListBoxMovies->viewport()->repaint();
    }
}
BENCHMARK(BM_RepaintAfterCurrentEntryChange)->Range(100, 10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace cinevan

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
