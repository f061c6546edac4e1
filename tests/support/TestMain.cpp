#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <clocale>
#include <cstdlib>

#include "tests/support/TestEnvironment.h"

// Leak-check suppressions for system libraries, built into every test binary: CTest cannot
// hand the LSAN_OPTIONS of cinevan_add_gtest through gtest_discover_tests (its list of
// variables is cut at the first one), and a binary run by hand needs them as well.
extern "C" const char* __lsan_default_options()
{
    return "suppressions=" CINEVAN_SOURCE_DIR "/tests/support/lsan.supp:print_suppressions=0";
}

extern "C" const char* __ubsan_default_options()
{
    return "print_stacktrace=1";
}

int main(int argc, char** argv)
{
    // Tests never make sound: CI machines have no sound card.
    ::setenv("CINEVAN_AUDIO_OUTPUT", "null", 0);
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
