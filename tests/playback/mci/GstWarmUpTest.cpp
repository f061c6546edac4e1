#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QTest>

#include "playback/mci/gst/GstDeviceType.h"
#include "playback/mci/gst/GstRuntime.h"
#include "playback/mci/gst/GstWarmUp.h"
#include "tests/support/GstPlugins.h"
#include "tests/support/MediaFixtures.h"

namespace cinevan::test {

namespace {

// The plug-ins an MPEG-1 program stream is played with: its type finder, demuxer, decoders
// (libmpeg2 and libmpg123 from gstreamer1.0-plugins-ugly), playbin itself.
constexpr const char* kMpegPlugins[] = {"typefindfunctions", "mpeg2dec", "mpg123", "mpegpsdemux",
                                        "playback"};

}  // namespace

// Every case runs in a process of its own (one test per process under ctest), so nothing has
// been loaded before the case starts.
TEST(GstWarmUp, LoadsThePluginsOfTheMpegPipeline) {
    ASSERT_TRUE(mci::gst::ensureInitialized());
    if (pluginLoaded("playback")) {
        GTEST_SKIP() << "an earlier case in this process loaded the plug-ins already";
    }
    mci::gst::GstWarmUp warmUp;
    warmUp.start();
    warmUp.wait();
    for (const char* name : kMpegPlugins) {
        EXPECT_TRUE(pluginLoaded(name)) << name;
    }
    // gst-libav is not what MPEG is decoded with where libmpeg2 is installed.
    EXPECT_FALSE(pluginLoaded("libav"));
}

TEST(GstWarmUp, DeviceTypePreparesInTheBackgroundAndOpensMeanwhile) {
    const QString movie = mediaFixture("clip-mpeg1.mpg");
    mci::GstDeviceType type;
    type.prepare();
    type.prepare();  // a second call neither blocks nor starts another thread
    const std::unique_ptr<mci::MediaDevice> device = type.create();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->openElement(movie, QDeadlineTimer(30000)), mci::Error::None);
    quint32 length = 0;
    EXPECT_EQ(device->statusLength(length), mci::Error::None);
    EXPECT_GT(length, 0u);
    for (const char* name : kMpegPlugins) {
        EXPECT_TRUE(pluginLoaded(name)) << name;
    }
}

TEST(GstWarmUp, TypeDestroyedWhileLoadingWaitsForTheThread) {
    {
        mci::GstDeviceType type;
        type.prepare();
    }
    // The loading ran to its end before the type was gone: nothing is left half loaded.
    for (const char* name : kMpegPlugins) {
        EXPECT_TRUE(pluginLoaded(name)) << name;
    }
}

// With the sound going nowhere (CINEVAN_AUDIO_OUTPUT=null, as in every test) neither the
// warm-up nor opening and playing a movie may load a sound system's plug-in: each costs start-up
// time and memory, and some talk to sound servers.
TEST(GstWarmUp, SilentOutputLoadsNoSoundSystem) {
    ASSERT_EQ(qgetenv("CINEVAN_AUDIO_OUTPUT"), "null");
    mci::GstDeviceType type;
    type.prepare();
    const std::unique_ptr<mci::MediaDevice> device = type.create();
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(device->openElement(mediaFixture("clip-mpeg1.mpg"), QDeadlineTimer(30000)),
              mci::Error::None);
    ASSERT_EQ(device->play(0, 1000), mci::Error::None);
    QTest::qWait(500);
    for (const char* name :
         {"pulseaudio", "jack", "oss4", "ossaudio", "openal", "alsa", "autodetect"}) {
        EXPECT_FALSE(pluginLoaded(name)) << name;
    }
}

}  // namespace cinevan::test
