// Work run in the background whose answer comes back through the receiver's event loop.

#include "platform/BackgroundCall.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <atomic>
#include <memory>
#include <optional>
#include <semaphore>

namespace cinevan {
namespace {

// Work held until the test lets it go.
struct Gate {
    std::binary_semaphore open{0};
};

struct Answers {
    std::optional<int> value;
    int count = 0;
};

auto record(Answers& answers) {
    return [&answers](std::optional<int> value) {
        answers.value = value;
        ++answers.count;
    };
}

TEST(BackgroundCall, WorkThatFinishesAtOnceIsAnsweredBeforeTheCallReturns) {
    QObject receiver;
    Answers answers;
    callInBackground(
        &receiver, QDeadlineTimer(5000), [] { return 7; }, record(answers),
        std::chrono::milliseconds(2000));
    EXPECT_EQ(answers.count, 1);
    EXPECT_EQ(answers.value, 7);
    QTest::qWait(50);
    EXPECT_EQ(answers.count, 1) << "answered once";
}

TEST(BackgroundCall, SlowWorkIsAnsweredFromTheEventLoop) {
    QObject receiver;
    Answers answers;
    const auto gate = std::make_shared<Gate>();
    callInBackground(
        &receiver, QDeadlineTimer(10000),
        [gate] {
            gate->open.acquire();
            return 3;
        },
        record(answers), std::chrono::milliseconds(20));
    EXPECT_EQ(answers.count, 0) << "the caller does not wait for the work";
    gate->open.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.count > 0; }, 5000));
    EXPECT_EQ(answers.value, 3);
    QTest::qWait(50);
    EXPECT_EQ(answers.count, 1);
}

TEST(BackgroundCall, WorkPastItsDeadlineIsAnsweredEmptyAndItsLateResultIsDropped) {
    QObject receiver;
    Answers answers;
    const auto gate = std::make_shared<Gate>();
    const auto finished = std::make_shared<std::atomic<bool>>(false);
    callInBackground(
        &receiver, QDeadlineTimer(100),
        [gate, finished] {
            gate->open.acquire();
            *finished = true;
            return 5;
        },
        record(answers));
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.count > 0; }, 5000));
    EXPECT_FALSE(answers.value) << "no result by the deadline";
    gate->open.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished->load(); }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(answers.count, 1) << "the late result is not answered";
}

TEST(BackgroundCall, AReceiverThatGoesIsNeverAnswered) {
    Answers answers;
    const auto gate = std::make_shared<Gate>();
    const auto finished = std::make_shared<std::atomic<bool>>(false);
    {
        QObject receiver;
        callInBackground(
            &receiver, QDeadlineTimer(200),
            [gate, finished] {
                gate->open.acquire();
                *finished = true;
                return 1;
            },
            record(answers));
    }
    gate->open.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished->load(); }, 5000));
    QTest::qWait(400);  // past the deadline too
    EXPECT_EQ(answers.count, 0);
}

}  // namespace
}  // namespace cinevan
