#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QTest>
#include <cstdlib>

#include "playback/mci/gst/GstDecoderChoice.h"
#include "playback/mci/gst/GstDeviceType.h"
#include "playback/mci/gst/GstRuntime.h"
#include "tests/support/GstPlugins.h"
#include "tests/support/MediaFixtures.h"

namespace cinevan::test {

namespace {

bool installed(const char* element) {
    GstElementFactory* factory = gst_element_factory_find(element);
    if (factory == nullptr) {
        return false;
    }
    gst_object_unref(factory);
    return true;
}

constexpr const char* kMpeg1Video =
    "video/mpeg, mpegversion=(int)1, systemstream=(boolean)false, parsed=(boolean)true";
constexpr const char* kMpeg2Video =
    "video/mpeg, mpegversion=(int)2, systemstream=(boolean)false, parsed=(boolean)true";
constexpr const char* kMpegAudio =
    "audio/mpeg, mpegversion=(int)1, layer=(int)2, rate=(int)44100, "
    "channels=(int)2, parsed=(boolean)true";
constexpr const char* kMp3Audio =
    "audio/mpeg, mpegversion=(int)1, layer=(int)3, rate=(int)48000, "
    "channels=(int)2, parsed=(boolean)true";

// Opens `fixture` on the MPEGVideo device and plays a moment of it.
void playAMoment(const char* fixture) {
    mci::GstDeviceType type;
    const std::unique_ptr<mci::MediaDevice> device = type.create();
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(device->openElement(mediaFixture(fixture), QDeadlineTimer(30000)), mci::Error::None);
    ASSERT_EQ(device->play(0, 600), mci::Error::None);
    QTest::qWait(300);
}

}  // namespace

// Every case runs in a process of its own (one test per process under ctest): the ranks are
// set when GStreamer is initialised, and a loaded plug-in stays loaded.

TEST(GstDecoderChoice, MpegIsDecodedWithoutLoadingGstLibav) {
    ASSERT_TRUE(mci::gst::ensureInitialized());
    if (!installed("mpeg2dec") || !installed("mpg123audiodec")) {
        GTEST_SKIP() << "gstreamer1.0-plugins-ugly or the mpg123 plug-in is not installed";
    }
    EXPECT_EQ(mci::gst::decoderFor(kMpeg1Video), "mpeg2dec");
    EXPECT_EQ(mci::gst::decoderFor(kMpeg2Video), "mpeg2dec");
    EXPECT_EQ(mci::gst::decoderFor(kMpegAudio), "mpg123audiodec");
    EXPECT_EQ(mci::gst::decoderFor(kMp3Audio), "mpg123audiodec");
    // A program stream from ffmpeg, one from mplex, a Video CD track read from its sectors.
    for (const char* fixture : {"clip-mpeg1.mpg", "clip-mpeg2.mpg", "mplex-vcd.mpg", "track.dat"}) {
        SCOPED_TRACE(fixture);
        playAMoment(fixture);
    }
    EXPECT_TRUE(pluginLoaded("mpeg2dec"));
    EXPECT_TRUE(pluginLoaded("mpg123"));
    EXPECT_FALSE(pluginLoaded("libav"));
}

// gst-libav stays the decoder for what libmpeg2 and libmpg123 do not decode, and keeps a rank
// decodebin still plugs for MPEG video: the fallback where libmpeg2 refuses a stream.
TEST(GstDecoderChoice, GstLibavStaysTheFallback) {
    ASSERT_TRUE(mci::gst::ensureInitialized());
    if (!installed("avdec_h264") || !installed("avdec_mpeg2video")) {
        GTEST_SKIP() << "gstreamer1.0-libav is not installed";
    }
    EXPECT_EQ(mci::gst::decoderFor("video/x-h264, stream-format=(string)byte-stream, "
                                   "alignment=(string)au"),
              "avdec_h264");
    EXPECT_EQ(mci::gst::decoderFor("video/mpeg, mpegversion=(int)4, systemstream=(boolean)false"),
              "avdec_mpeg4");
    GstPluginFeature* libav = gst_registry_lookup_feature(gst_registry_get(), "avdec_mpeg2video");
    ASSERT_NE(libav, nullptr);
    EXPECT_GE(gst_plugin_feature_get_rank(libav), guint(GST_RANK_MARGINAL));
    gst_object_unref(libav);
}

// A user who sets the decoders' ranks in GST_PLUGIN_FEATURE_RANK gets them, also for MPEG.
TEST(GstDecoderChoice, TheUsersOwnRanksRule) {
    ASSERT_EQ(setenv("GST_PLUGIN_FEATURE_RANK", "mpeg2dec:NONE,mpg123audiodec:NONE", 1), 0);
    ASSERT_TRUE(mci::gst::ensureInitialized());
    if (!installed("avdec_mpeg2video") || !installed("avdec_mp2float")) {
        GTEST_SKIP() << "gstreamer1.0-libav is not installed";
    }
    EXPECT_EQ(mci::gst::decoderFor(kMpeg2Video), "avdec_mpeg2video");
    EXPECT_EQ(mci::gst::decoderFor(kMpegAudio), "avdec_mp2float");
    playAMoment("clip-mpeg1.mpg");
    EXPECT_TRUE(pluginLoaded("libav"));
    EXPECT_FALSE(pluginLoaded("mpeg2dec"));
}

}  // namespace cinevan::test
