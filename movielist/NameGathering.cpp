#include "movielist/NameGathering.h"

#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "movielist/MovieListFile.h"
#include "movielist/MoviePath.h"
#include "movielist/PlaylistFormats.h"

namespace cinevan {
namespace {

// A list file holds an entry a line, so a name with a line break in it cannot be kept in one:
// it is left out rather than saved as two broken entries.
bool holdsLineBreak(const QByteArray& name) {
    return name.contains('\n') || name.contains('\r');
}

// The line of a newly added movie: the name in quotes, whatever it holds. Quotes inside are
// doubled, as comma text reads them, so that the line holds exactly one field.
QByteArray quotedName(const QByteArray& name) {
    return '"' + QByteArray(name).replace('"', "\"\"") + '"';
}

void appendMovie(QByteArrayList& lines, const QByteArray& name) {
    if (!holdsLineBreak(name)) {
        lines.append(quotedName(name));
    }
}

bool isListFile(const QByteArray& full) {
    return moviepath::lowerExtension(full) == ".mls" || playlistformats::isPlaylist(full);
}

}  // namespace

GatheredEntries gatherEntries(const QByteArray& name, const QByteArray& here,
                              const moviefolder::Step& step) {
    const QByteArray full = moviepath::localFullPath(name, here);
    // Relative names inside a list mean the list's own folder.
    if (moviepath::lowerExtension(full) == ".mls") {
        return {movielistfile::read(full), moviepath::folderOf(full)};
    }
    if (playlistformats::isPlaylist(full)) {
        return {playlistformats::read(full), moviepath::folderOf(full)};
    }
    GatheredEntries entries{{}, here};
    if (moviefolder::isFolder(full)) {
        for (const QByteArray& movie : moviefolder::moviesIn(full, step)) {
            appendMovie(entries.lines, movie);
        }
    } else {
        appendMovie(entries.lines, full);
    }
    return entries;
}

NameGatherer::NameGatherer(QByteArray here, std::chrono::milliseconds stall)
    : FHere(std::move(here)), FWorker(stall) {}

GatheredEntries NameGatherer::Gather(const QByteArray& name) {
    GatheredEntries result;
    GatherAll({name}, [&result](GatheredEntries entries) {
        result = std::move(entries);
        return true;
    });
    return result;
}

void NameGatherer::GatherAll(const QByteArrayList& names, const Deliver& deliver) {
    qsizetype next = 0;
    while (next < names.size()) {
        const QByteArray full = moviepath::localFullPath(names[next], FHere);
        if (FStalledFolders.contains(moviepath::folderOf(full))) {
            if (!deliver(GivenUp(full))) {
                return;
            }
            ++next;
            continue;
        }
        const std::optional<qsizetype> stalled = GatherRun(names, next, deliver);
        if (!stalled) {
            return;
        }
        next = *stalled;
    }
}

std::optional<qsizetype> NameGatherer::GatherRun(const QByteArrayList& names, qsizetype first,
                                                 const Deliver& deliver) {
    // Shared with the helper thread, which may go on after this thread stopped waiting for it.
    struct Run {
        std::mutex mutex;
        bool abandoned = false;
        bool refused = false;
        qsizetype next;
    };
    const auto run = std::make_shared<Run>();
    run->next = first;
    const bool finished = FWorker.Run(
        [run, names, deliver, here = FHere, stalled = FStalledFolders](std::atomic<int>& steps) {
            for (qsizetype i = run->next; i < names.size(); ++i) {
                const QByteArray full = moviepath::localFullPath(names[i], here);
                if (stalled.contains(moviepath::folderOf(full))) {
                    return;  // left to the caller, which knows that folder
                }
                GatheredEntries entries = gatherEntries(full, here, [&steps] { ++steps; });
                const std::lock_guard lock(run->mutex);
                if (run->abandoned) {
                    return;
                }
                if (!deliver(std::move(entries))) {
                    run->refused = true;
                    return;
                }
                run->next = i + 1;
                ++steps;
            }
        });
    const std::lock_guard lock(run->mutex);
    run->abandoned = true;
    if (run->refused) {
        return std::nullopt;
    }
    if (finished) {
        return run->next < names.size() ? std::optional(run->next) : std::nullopt;
    }
    // The name being looked at when the work stalled is given up, and its folder with it.
    const QByteArray full = moviepath::localFullPath(names[run->next], FHere);
    FStalledFolders.insert(moviepath::folderOf(full));
    if (!deliver(GivenUp(full))) {
        return std::nullopt;
    }
    return run->next + 1;
}

GatheredEntries NameGatherer::GivenUp(const QByteArray& full) const {
    if (isListFile(full)) {
        return {{}, moviepath::folderOf(full)};
    }
    GatheredEntries entries{{}, FHere};
    appendMovie(entries.lines, full);
    return entries;
}

bool NameGatherer::EnterFolderOf(const QByteArray& name) {
    const QByteArray folder = moviepath::folderOf(moviepath::localFullPath(name, FHere));
    if (folder.isEmpty() || FStalledFolders.contains(folder)) {
        return false;
    }
    const auto entered = std::make_shared<bool>(false);
    return FWorker.Run([entered, folder](std::atomic<int>&) {
        *entered = moviepath::setCurrentFolder(folder);
    }) && *entered;
}

}  // namespace cinevan
