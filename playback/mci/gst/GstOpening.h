#pragma once

#include <gst/gst.h>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QSize>
#include <QString>
#include <memory>

#include "playback/mci/MciTypes.h"
#include "playback/mci/gst/GstHandles.h"
#include "playback/mci/gst/GstLengthCache.h"

namespace cinevan::mci::gst {

class GstSegmentClipper;
class GstVideoOutput;

// What the open learned about the movie. Times are stream time in nanoseconds unless named.
struct GstMovieFacts {
    QByteArray uri;
    QSize source;
    gint64 originNs = 0;            // time stamp of the first picture
    gint64 demuxerDurationNs = -1;  // the demuxer's own estimate of the duration
    qint64 lengthMs = 0;            // from the first picture to the end of the last one
};

// Opens one movie into a playbin prerolled paused at its start. Runs on a thread of its own
// (see BoundedCall.h): it touches no widget and shares the clipper and the video output that its
// pipeline calls into, so that it can outlive the device that started it. When nobody takes
// the pipeline, destroying the opening stops it, on whatever thread lets it go last.
class GstOpening {
public:
    GstOpening(QString element, std::shared_ptr<GstSegmentClipper> clipper,
               std::shared_ptr<GstVideoOutput> output);
    ~GstOpening();
    GstOpening(const GstOpening&) = delete;
    GstOpening& operator=(const GstOpening&) = delete;

    // Builds and prerolls the pipeline and reads the movie's facts; the result of the open.
    MciError run(QDeadlineTimer deadline);

    // After a successful run: the pipeline (given away once), its sinks and the facts.
    ElementPtr takePipeline() { return std::move(pipeline_); }
    // Whether a pipeline is still held, whose stop may wait on the source.
    bool holdsPipeline() const { return pipeline_ != nullptr; }
    GstElement* videoSink() const { return videoSink_; }
    const GstMovieFacts& facts() const { return facts_; }

private:
    MciError openUri(bool silent, QDeadlineTimer deadline);
    MciError build(bool silent);
    MciError preroll(QDeadlineTimer deadline);
    MciError readFacts();
    void measureLength(QDeadlineTimer deadline);
    void stop();

    const QString element_;
    const std::shared_ptr<GstSegmentClipper> clipper_;
    const std::shared_ptr<GstVideoOutput> output_;
    ElementPtr pipeline_;
    GstElement* videoSink_ = nullptr;  // owned by the pipeline
    GstElement* audioSink_ = nullptr;  // owned by the pipeline
    bool audioFailed_ = false;
    GstMovieIdentity identity_;
    GstMovieFacts facts_;
};

// The result code for an error a pipeline posted.
MciError errorFor(const GError* error);

}  // namespace cinevan::mci::gst
