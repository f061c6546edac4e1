#include <gtest/gtest.h>
#include <signal.h>

#include <QSignalSpy>
#include <QTest>

#include "app/TerminationSignals.h"

namespace cinevan {
namespace {

int gForeignCalls = 0;
extern "C" void CountForeignSignal(int) {
    ++gForeignCalls;
}

// Installs a counting handler for the three signals and gives the old ones back afterwards.
class TerminationSignalsTest : public ::testing::Test {
protected:
    void SetUp() override {
        gForeignCalls = 0;
        struct sigaction counting {};
        counting.sa_handler = CountForeignSignal;
        sigemptyset(&counting.sa_mask);
        for (std::size_t i = 0; i < TerminationSignals::kSignals.size(); ++i) {
            ::sigaction(TerminationSignals::kSignals[i], &counting, &saved_[i]);
        }
    }
    void TearDown() override {
        for (std::size_t i = 0; i < TerminationSignals::kSignals.size(); ++i) {
            ::sigaction(TerminationSignals::kSignals[i], &saved_[i], nullptr);
        }
    }

    std::array<struct sigaction, TerminationSignals::kSignals.size()> saved_{};
};

TEST_F(TerminationSignalsTest, EachSignalArrivesInTheEventLoopOnceThenTheOldHandlerIsBack) {
    for (const int number : TerminationSignals::kSignals) {
        const TerminationSignals termination;
        QSignalSpy received(&termination, &TerminationSignals::Received);
        ASSERT_EQ(::raise(number), 0);
        ASSERT_EQ(::raise(number), 0);  // a second one before the loop ran is the same request
        EXPECT_EQ(gForeignCalls, 0) << "the handler that was there before is not called";
        ASSERT_TRUE(received.wait(5000)) << number;
        EXPECT_EQ(received.takeFirst().at(0).toInt(), number);

        ASSERT_EQ(::raise(number), 0);
        EXPECT_EQ(gForeignCalls, 1) << "after the first request the old handler runs again";
        QTest::qWait(50);
        EXPECT_TRUE(received.isEmpty());
        gForeignCalls = 0;
    }
}

TEST_F(TerminationSignalsTest, DestructionGivesTheOldHandlersBack) {
    { const TerminationSignals termination; }
    for (const int number : TerminationSignals::kSignals) {
        ASSERT_EQ(::raise(number), 0);
    }
    EXPECT_EQ(gForeignCalls, 3);
}

}  // namespace
}  // namespace cinevan
