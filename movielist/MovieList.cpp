#include "movielist/MovieList.h"

#include <algorithm>
#include <vector>

#include "movielist/CommaText.h"
#include "movielist/MovieListErrors.h"
#include "movielist/MovieListFile.h"
#include "movielist/MovieListListener.h"
#include "movielist/MoviePath.h"

namespace cinevan {
namespace {

QByteArray fieldOf(const QByteArrayList& fields, int field) {
    return field >= 0 && field < fields.size() ? fields[field] : QByteArray();
}

}  // namespace

void MovieList::SetCurrent(int index) {
    FCurrent = FMovies.isEmpty() ? -1 : std::clamp(index, 0, MovieCount() - 1);
}

QByteArray MovieList::StoredField(int index, int field) const {
    if (index < 0 || index >= MovieCount()) {
        return {};
    }
    return fieldOf(commatext::read(FMovies[index]), field);
}

QByteArray MovieList::GetMovieField(int index, int field) const {
    if (index < 0 || index >= MovieCount()) {
        return {};
    }
    const QByteArrayList fields = commatext::read(FMovies[index]);
    QByteArray value = fieldOf(fields, field);
    if (field == kTitle && value.isEmpty()) {
        value = moviepath::defaultTitle(fieldOf(fields, kFileName));
    }
    return value;
}

void MovieList::SetMovieField(int index, int field, const QByteArray& value) {
    // An empty title over a missing one stores nothing, just as the default title does.
    const bool keepsMissingTitle =
        field == kTitle && value.isEmpty() && StoredField(index, field).isEmpty();
    if (keepsMissingTitle || GetMovieField(index, field) == value) {
        return;
    }
    if (index == FCurrent && FListener) {
        FListener->PausePlayback();
    }
    if (index < 0 || index >= MovieCount()) {
        throw EListError(index);
    }
    if (field < 0 || field > kMaxField) {
        throw EListError(field);
    }
    QByteArrayList fields = commatext::read(FMovies[index]);
    while (fields.size() <= field) {
        fields.append(QByteArray());
    }
    fields[field] = value;
    FMovies[index] = commatext::write(fields);
    if (!FUpdating) {
        RefreshWindows();
    }
}

void MovieList::AddMovies(const QByteArrayList& names, bool setFolder) {
    // Every name is resolved against the folder that was current when it was given.
    GatheredNames gathered{{}, moviepath::currentFolder(), true};
    try {
        NameGatherer gatherer(gathered.here, kNameLookupStall);
        gatherer.GatherAll(names, [&gathered](GatheredEntries entries) {
            gathered.entries.push_back(std::move(entries));
            return true;
        });
        if (setFolder && !names.isEmpty()) {
            // A folder that cannot be entered leaves the current folder as it is.
            gatherer.EnterFolderOf(names.front());
        }
    } catch (...) {
        RefreshWindows();
        throw;
    }
    AppendGathered(gathered);
}

void MovieList::AppendGathered(const GatheredNames& gathered) {
    try {
        const int first = gathered.first ? 0 : MovieCount();
        std::vector<QByteArray> baseFolders(MovieCount() - first, gathered.here);
        for (const GatheredEntries& entries : gathered.entries) {
            FMovies.append(entries.lines);
            baseFolders.resize(FMovies.size() - first, entries.baseFolder);
        }
        MakeNamesAbsolute(first, baseFolders);
        FinishAdding();
    } catch (...) {
        RefreshWindows();
        throw;
    }
    RefreshWindows();
}

void MovieList::RefreshWindows() {
    if (FListener) {
        FListener->RefreshDisplay();
        FListener->RefreshList(true);
    }
}

void MovieList::MakeNamesAbsolute(int first, const std::vector<QByteArray>& baseFolders) {
    struct UpdatingScope {
        explicit UpdatingScope(bool& flag) : flag(flag) { flag = true; }
        ~UpdatingScope() { flag = false; }
        bool& flag;
    } updating(FUpdating);

    for (int i = first; i < MovieCount(); ++i) {
        // Parsed once here; SetMovieField only runs for names that actually change.
        const QByteArrayList fields = commatext::read(FMovies[i]);
        for (const int field : {kFileName, kCover}) {
            const QByteArray name = fieldOf(fields, field);
            const QByteArray full = moviepath::fullPath(name, baseFolders[i - first]);
            if (full != name) {
                SetMovieField(i, field, full);
            }
        }
    }
}

void MovieList::FinishAdding() {
    if (FCurrent == -1 && !FMovies.isEmpty()) {
        FCurrent = 0;
        if (FListener) {
            FListener->LoadCoverPreview();
        }
    }
}

void MovieList::SaveMovies(const QByteArray& fileName) const {
    movielistfile::write(fileName, FMovies);
}

void MovieList::Clear() {
    FMovies.clear();
    FCurrent = -1;
}

bool MovieList::Delete(int index) {
    if (index < 0 || index >= MovieCount()) {
        return false;
    }
    FMovies.removeAt(index);
    if (FCurrent >= MovieCount()) {
        FCurrent = MovieCount() - 1;
    } else if (index < FCurrent) {
        --FCurrent;
    }
    return true;
}

MovieList::MovePlan MovieList::PlanMove(int from, int to) const {
    MovePlan plan{std::clamp(from, 0, MovieCount() - 1), std::clamp(to, 0, MovieCount())};
    if (plan.to == plan.from + 1) {
        plan.to = plan.from;
    }
    return plan;
}

bool MovieList::WouldMove(int from, int to) const {
    if (MovieCount() < 2) {
        return false;
    }
    const MovePlan plan = PlanMove(from, to);
    return plan.from != plan.to;
}

int MovieList::Move(int from, int to) {
    if (MovieCount() < 2) {
        return -1;
    }
    const MovePlan plan = PlanMove(from, to);
    if (plan.from == plan.to) {
        return plan.from;
    }
    const int newIndex = plan.to < plan.from ? plan.to : plan.to - 1;
    FMovies.move(plan.from, newIndex);
    if (FCurrent == plan.from) {
        FCurrent = newIndex;
    } else if (plan.from < FCurrent && FCurrent < plan.to) {
        --FCurrent;
    } else if (plan.to <= FCurrent && FCurrent < plan.from) {
        ++FCurrent;
    }
    return newIndex;
}

int MovieList::Copy(int index) {
    if (index < 0 || index >= MovieCount()) {
        return -1;
    }
    FMovies.append(QByteArray(FMovies[index]));
    return MovieCount() - 1;
}

}  // namespace cinevan
