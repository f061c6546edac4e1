// The first start on a machine whose GStreamer plug-in registry has not been built yet (an
// empty cache folder): building it runs the plug-in scanner, which on a slow machine takes
// seconds and must not hold up the window. Here the scanner is made slow on purpose. This
// binary initialises GStreamer nowhere else.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include "playback/mci/gst/GstDeviceType.h"
#include "tests/support/LoopGapMeter.h"
#include "tests/support/MediaFixtures.h"

namespace cinevan::test {
namespace {

// How long the plug-in scanner takes before it starts its work.
constexpr int kScannerDelaySeconds = 2;

// Has GStreamer use the plug-in scanner through a script that waits first.
void slowDownTheScanner(const QTemporaryDir& folder) {
    const QString script = folder.filePath("slow-scanner");
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QTextStream(&file) << "#!/bin/sh\nsleep " << kScannerDelaySeconds << "\nexec "
                       << CINEVAN_GST_PLUGIN_SCANNER << " \"$@\"\n";
    file.close();
    ASSERT_TRUE(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("GST_PLUGIN_SCANNER", QFile::encodeName(script));
}

TEST(GstFirstStart, NeitherTheDeviceListNorTheFirstOpenWaitsForTheRegistry) {
    const QTemporaryDir cache;
    ASSERT_TRUE(cache.isValid());
    const QString registry = cache.filePath("registry.bin");
    qputenv("GST_REGISTRY_1_0", QFile::encodeName(registry));
    slowDownTheScanner(cache);
    LoopGapMeter gaps;
    mci::GstDeviceType type;

    // What the device list does at start-up: open the type without a file and ask it.
    auto device = type.create();
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(device->openElement(QString()), mci::Error::None);
    quint32 hasVideo = 0;
    EXPECT_EQ(device->getDevCaps(mci::DevCapsItem::HasVideo, hasVideo), mci::Error::None);
    EXPECT_EQ(hasVideo, 1u);
    QString product;
    EXPECT_EQ(device->infoProduct(product), mci::Error::None);
    EXPECT_TRUE(product.contains("GStreamer 1.")) << product.toStdString();
    device.reset();
    EXPECT_LT(gaps.longestMs(), 500) << "the device list does not wait for GStreamer";

    // The first movie waits for the registry off the GUI thread and then plays.
    device = type.create();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->openElement(mediaFixture("clip-mpeg1.mpg"), QDeadlineTimer(60000)),
              mci::Error::None);
    quint32 length = 0;
    EXPECT_EQ(device->statusLength(length), mci::Error::None);
    EXPECT_GT(length, 0u);
    device.reset();
    EXPECT_LT(gaps.longestMs(), 500) << "nor does the first open";
    EXPECT_TRUE(QFile::exists(registry)) << "the registry was built meanwhile";
}

}  // namespace
}  // namespace cinevan::test
