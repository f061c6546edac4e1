#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QUrl>

#include "playback/mci/gst/GstDecoderChoice.h"
#include "playback/mci/gst/GstHandles.h"
#include "playback/mci/gst/GstRuntime.h"
#include "playback/mci/gst/GstSequenceEnd.h"
#include "tests/support/MediaFixtures.h"

namespace cinevan::test {

namespace {

using mci::gst::ElementPtr;
using mci::gst::SamplePtr;

constexpr const char* kMpeg1Video =
    "video/mpeg, mpegversion=(int)1, systemstream=(boolean)false, parsed=(boolean)true";

struct Decoded {
    int pictures = 0;
    gint64 lastEndNs = -1;
};

// The pictures `sink` takes until the end of the stream.
Decoded pullToTheEnd(GstElement* sink) {
    Decoded decoded;
    while (const SamplePtr sample{gst_app_sink_pull_sample(GST_APP_SINK(sink))}) {
        GstBuffer* buffer = gst_sample_get_buffer(sample.get());
        ++decoded.pictures;
        decoded.lastEndNs = GST_BUFFER_PTS(buffer) + GST_BUFFER_DURATION(buffer);
    }
    return decoded;
}

Decoded pullAll(GstElement* pipeline, GstElement* sink) {
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    const Decoded decoded = pullToTheEnd(sink);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    return decoded;
}

// Every picture of `fixture` through gst-libav, as fast as it goes.
Decoded decodeWithLibav(const char* fixture) {
    const QByteArray description = "filesrc location=\"" +
                                   QFile::encodeName(mediaFixture(fixture)) +
                                   "\" ! mpegpsdemux ! mpegvideoparse ! avdec_mpegvideo ! "
                                   "appsink name=pictures sync=false";
    GError* error = nullptr;
    const ElementPtr pipeline(gst_parse_launch(description.constData(), &error));
    if (error != nullptr) {
        ADD_FAILURE() << error->message;
        g_error_free(error);
        return {};
    }
    const ElementPtr sink(gst_bin_get_by_name(GST_BIN(pipeline.get()), "pictures"));
    return pullAll(pipeline.get(), sink.get());
}

// Every picture of `fixture` through playbin and the decoder it chooses.
Decoded decodeWithPlaybin(const char* fixture, bool completeSequences) {
    const ElementPtr playbin(gst_element_factory_make("playbin", nullptr));
    GstElement* sink = gst_element_factory_make("appsink", nullptr);
    GstElement* unheard = gst_element_factory_make("fakesink", nullptr);
    g_object_set(sink, "sync", FALSE, nullptr);
    const QByteArray uri = QUrl::fromLocalFile(mediaFixture(fixture)).toEncoded();
    g_object_set(playbin.get(), "uri", uri.constData(), "video-sink", sink, "audio-sink", unheard,
                 "flags", 0x1 | 0x40, nullptr);
    if (completeSequences) {
        mci::gst::completeMpegVideoSequences(playbin.get());
    }
    return pullAll(playbin.get(), sink);
}

// Decodes clip-mpeg1.mpg to its end, seeks back to 3 s and decodes to the end again, through
// playbin (`decoder` null) or a pipeline with `decoder`.
std::pair<Decoded, Decoded> seekBackAfterTheEnd(const char* decoder) {
    ElementPtr pipeline;
    GstElement* sink = nullptr;
    if (decoder == nullptr) {
        pipeline.reset(gst_element_factory_make("playbin", nullptr));
        sink = gst_element_factory_make("appsink", nullptr);
        const QByteArray uri = QUrl::fromLocalFile(mediaFixture("clip-mpeg1.mpg")).toEncoded();
        g_object_set(pipeline.get(), "uri", uri.constData(), "video-sink", sink, "audio-sink",
                     gst_element_factory_make("fakesink", nullptr), "flags", 0x1 | 0x40, nullptr);
        mci::gst::completeMpegVideoSequences(pipeline.get());
    } else {
        const QByteArray description =
            "filesrc location=\"" + QFile::encodeName(mediaFixture("clip-mpeg1.mpg")) +
            "\" ! mpegpsdemux ! mpegvideoparse ! " + decoder + " ! appsink name=pictures";
        pipeline.reset(gst_parse_launch(description.constData(), nullptr));
        sink = gst_bin_get_by_name(GST_BIN(pipeline.get()), "pictures");
        gst_object_unref(sink);  // the pipeline keeps it
    }
    g_object_set(sink, "sync", FALSE, nullptr);
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    const Decoded whole = pullToTheEnd(sink);
    EXPECT_TRUE(gst_element_seek_simple(pipeline.get(), GST_FORMAT_TIME,
                                        GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                                        3 * GST_SECOND));
    const Decoded again = pullToTheEnd(sink);
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return {whole, again};
}

}  // namespace

// ffmpeg ends a stream without a sequence end code, mplex with one: libmpeg2 yields every
// picture of both, as gst-libav does, each ending where gst-libav's does.
TEST(GstSequenceEnd, LibMpeg2YieldsTheLastPictures) {
    ASSERT_TRUE(mci::gst::ensureInitialized());
    if (mci::gst::decoderFor(kMpeg1Video) != "mpeg2dec") {
        GTEST_SKIP() << "MPEG video is not decoded with libmpeg2 here";
    }
    for (const char* fixture : {"clip-mpeg1.mpg", "mplex-vcd.mpg"}) {
        SCOPED_TRACE(fixture);
        const Decoded reference = decodeWithLibav(fixture);
        const Decoded completed = decodeWithPlaybin(fixture, true);
        EXPECT_GT(reference.pictures, 100);
        EXPECT_EQ(completed.pictures, reference.pictures);
        EXPECT_EQ(completed.lastEndNs, reference.lastEndNs);
    }
    // After the end (and the end code handed in), a seek back decodes on to the end again, as
    // with gst-libav.
    const auto [whole, again] = seekBackAfterTheEnd(nullptr);
    const auto [libavWhole, libavAgain] = seekBackAfterTheEnd("avdec_mpegvideo");
    EXPECT_EQ(whole.pictures, libavWhole.pictures);
    EXPECT_EQ(again.pictures, libavAgain.pictures);
    EXPECT_EQ(again.lastEndNs, libavAgain.lastEndNs);
    EXPECT_GT(again.pictures, 0);
    // Without the end code, libmpeg2 keeps pictures back.
    EXPECT_LT(decodeWithPlaybin("clip-mpeg1.mpg", false).pictures,
              decodeWithLibav("clip-mpeg1.mpg").pictures);
}

}  // namespace cinevan::test
