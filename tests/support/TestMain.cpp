#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <clocale>
#include <cstdlib>

#include "tests/support/TestEnvironment.h"

int main(int argc, char** argv)
{
    cinevan::test::isolateUserFolders();
    // Engine plug-in caches (GStreamer registry, fontconfig) are shared between test runs of
    // one build; they hold nothing of the user's.
    QDir().mkpath(CINEVAN_TEST_CACHE_DIR);
    ::setenv("XDG_CACHE_HOME", CINEVAN_TEST_CACHE_DIR, 1);
    if (!std::getenv("CINEVAN_TEST_DISPLAY")) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    ::setenv("QT_LOGGING_RULES", "qt.qpa.*=false", 0);

    ::testing::InitGoogleMock(&argc, argv);
    QApplication app(argc, argv);
    // libmpv needs the C numeric locale; QApplication has just set it from the environment.
    std::setlocale(LC_NUMERIC, "C");
    return RUN_ALL_TESTS();
}
