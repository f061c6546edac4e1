#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QSet>
#include <chrono>
#include <functional>
#include <optional>
#include <vector>

#include "movielist/MovieFolder.h"
#include "platform/StallingWorker.h"

namespace cinevan {

// How long looking at one name may go without any progress before the name is given up: a
// share whose server went away never answers.
inline constexpr std::chrono::milliseconds kNameLookupStall{3000};

// The entries one name given to the movie list stands for.
struct GatheredEntries {
    // One comma-text line per entry, in list order.
    QByteArrayList lines;
    // The folder that their relative file and cover names resolve against.
    QByteArray baseFolder;
};

// Entries gathered for some of the names of one request to add names, in their order.
struct GatheredNames {
    std::vector<GatheredEntries> entries;
    // The folder that was current when the names were given.
    QByteArray here;
    // Whether these are the first of their request: the entries already in the list are then
    // resolved again too, against `here` (the edit dialog may have stored a relative cover).
    bool first = true;
};

// The entries for `name`, resolved against `here`: the lines of a movie list (".mls", not
// nested), the entries of a playlist, the movie files of a folder, or else the name itself as
// a one-field entry, whether it exists or not. `step` is called as a folder listing goes on.
// Touches the file system without any time limit.
GatheredEntries gatherEntries(
    const QByteArray& name, const QByteArray& here, const moviefolder::Step& step = [] {});

// Turns names into entries as gatherEntries() does, giving each name up when its file-system
// work makes no progress for `stall`: a list or playlist given up counts as unreadable (no
// entries), any other name becomes an entry as it stands, as a missing file does, and is
// reported missing when it is played. Once a lookup in a folder has stalled, further names in
// that folder are taken the same way at once. Not for the GUI thread, which would wait up to
// `stall` for each name; one gatherer serves one thread.
class NameGatherer {
public:
    NameGatherer(QByteArray here, std::chrono::milliseconds stall);

    GatheredEntries Gather(const QByteArray& name);

    // Receives the entries of each name in turn; false stops the gathering.
    using Deliver = std::function<bool(GatheredEntries entries)>;
    // Gathers `names` in their order, handing each one's entries to `deliver` as they are
    // ready, from this thread or from the helper thread that looks at the names (never from
    // both at once). The names are looked at one after another on that one helper thread
    // while the source answers, so a long list costs no thread a name.
    void GatherAll(const QByteArrayList& names, const Deliver& deliver);

    // Makes the folder of `name` the process's current folder, unless a lookup there stalled
    // before or this one stalls; false when the current folder was not changed.
    bool EnterFolderOf(const QByteArray& name);

private:
    GatheredEntries GivenUp(const QByteArray& full) const;
    // Gathers names from `first` on in one piece of work; the name to go on with (after a
    // stall, or at a name in a folder known to stall), nothing when all are done or `deliver`
    // refused.
    std::optional<qsizetype> GatherRun(const QByteArrayList& names, qsizetype first,
                                       const Deliver& deliver);

    QByteArray FHere;
    StallingWorker FWorker;
    QSet<QByteArray> FStalledFolders;
};

}  // namespace cinevan
