#include "movielist/NameGathering.h"

#include <memory>
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
    const QByteArray full = moviepath::localFullPath(name, FHere);
    const QByteArray folder = moviepath::folderOf(full);
    if (FStalledFolders.contains(folder)) {
        return GivenUp(full);
    }
    // The work shares what it fills with this thread, which may stop waiting for it.
    const auto result = std::make_shared<GatheredEntries>();
    const bool done = FWorker.Run([result, name, here = FHere](std::atomic<int>& steps) {
        *result = gatherEntries(name, here, [&steps] { ++steps; });
    });
    if (!done) {
        FStalledFolders.insert(folder);
        return GivenUp(full);
    }
    return std::move(*result);
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
