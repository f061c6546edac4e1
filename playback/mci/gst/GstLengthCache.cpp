#include "playback/mci/gst/GstLengthCache.h"

#include <QFileInfo>
#include <algorithm>

namespace cinevan::mci::gst {

namespace {

// Movie lists are short; a few dozen entries cover any list played round and round.
constexpr int kSharedCapacity = 64;

}  // namespace

GstMovieIdentity GstMovieIdentity::of(const QString& path, qint64 payloadBytes) {
    const QFileInfo file(path);
    if (!file.exists()) {
        return {};
    }
    return {file.absoluteFilePath(), payloadBytes >= 0 ? payloadBytes : file.size(),
            file.lastModified().toUTC()};
}

GstLengthCache& GstLengthCache::shared() {
    // Never destroyed: an open still running on its own thread when the program ends may look
    // into it while the exit handlers run.
    static GstLengthCache* const cache = new GstLengthCache(kSharedCapacity);
    return *cache;
}

std::optional<GstMeasuredLength> GstLengthCache::find(const GstMovieIdentity& movie, QSize source,
                                                      gint64 originNs) {
    if (movie.isNull()) {
        return std::nullopt;
    }
    const std::lock_guard lock(mutex_);
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const Entry& entry) { return entry.movie == movie; });
    if (found == entries_.end() || found->length.source != source ||
        found->length.originNs != originNs) {
        return std::nullopt;
    }
    entries_.splice(entries_.begin(), entries_, found);
    return found->length;
}

void GstLengthCache::remember(const GstMovieIdentity& movie, const GstMeasuredLength& length) {
    if (movie.isNull() || capacity_ <= 0) {
        return;
    }
    const std::lock_guard lock(mutex_);
    entries_.remove_if([&](const Entry& entry) { return entry.movie.path == movie.path; });
    entries_.push_front({movie, length});
    while (entries_.size() > static_cast<std::size_t>(capacity_)) {
        entries_.pop_back();
    }
}

}  // namespace cinevan::mci::gst
