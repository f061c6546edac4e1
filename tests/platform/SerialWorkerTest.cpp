// Work run one piece after the other on a thread of its own, never waited for by the giver.

#include "platform/SerialWorker.h"

#include <gtest/gtest.h>

#include <QTest>
#include <memory>
#include <mutex>
#include <optional>
#include <semaphore>
#include <thread>
#include <vector>

namespace cinevan {
namespace {

struct Gate {
    std::binary_semaphore open{0};
};

// What the pieces of work did, in the order they did it, and on which threads.
struct Log {
    std::mutex mutex;
    std::vector<int> order;
    std::vector<std::thread::id> threads;

    void note(int piece) {
        const std::lock_guard lock(mutex);
        order.push_back(piece);
        threads.push_back(std::this_thread::get_id());
    }
    std::vector<int> seen() {
        const std::lock_guard lock(mutex);
        return order;
    }
};

TEST(SerialWorker, RunsThePiecesInOrderOnOneThreadThatIsNotTheGivers) {
    const auto log = std::make_shared<Log>();
    SerialWorker worker;
    for (int piece = 0; piece < 20; ++piece) {
        worker.post([log, piece] { log->note(piece); });
    }
    ASSERT_TRUE(worker.waitUntilIdle(QDeadlineTimer(5000)));
    std::vector<int> expected(20);
    for (int piece = 0; piece < 20; ++piece) {
        expected[piece] = piece;
    }
    EXPECT_EQ(log->seen(), expected);
    for (const std::thread::id thread : log->threads) {
        EXPECT_EQ(thread, log->threads.front());
        EXPECT_NE(thread, std::this_thread::get_id());
    }
}

TEST(SerialWorker, AStuckPieceHoldsOnlyThoseBehindItAndTheWorkerGoesWithoutWaiting) {
    const auto gate = std::make_shared<Gate>();
    const auto log = std::make_shared<Log>();
    const int runningBefore = boundedWorkRunning;
    {
        SerialWorker worker;
        worker.post([gate] { gate->open.acquire(); });
        worker.post([log] { log->note(1); });
        EXPECT_FALSE(worker.idle());
        EXPECT_FALSE(worker.waitUntilIdle(QDeadlineTimer(50)));
        EXPECT_TRUE(log->seen().empty()) << "the second piece waits for the first";
        EXPECT_EQ(boundedWorkRunning, runningBefore + 2) << "queued work counts as running";
    }
    // The worker is gone; its thread still runs what was queued once the first piece ends.
    gate->open.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return boundedWorkRunning == runningBefore; }, 5000));
    EXPECT_EQ(log->seen(), std::vector<int>{1});
}

TEST(SerialWorker, AnswersComeInOrderOrEmptyOnceTheirTimeIsUp) {
    QObject receiver;
    std::vector<std::optional<int>> answers;
    const auto gate = std::make_shared<Gate>();
    SerialWorker worker;
    const auto record = [&answers](std::optional<int> value) { answers.push_back(value); };
    worker.call(
        &receiver, QDeadlineTimer(5000), [] { return 1; }, record);
    worker.call(
        &receiver, QDeadlineTimer(5000), [] { return 2; }, record);
    EXPECT_TRUE(answers.empty()) << "answers come through the event loop";
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == 2; }, 5000));
    EXPECT_EQ(answers, (std::vector<std::optional<int>>{1, 2}));

    worker.call(
        &receiver, QDeadlineTimer(100),
        [gate] {
            gate->open.acquire();
            return 3;
        },
        record);
    worker.call(
        &receiver, QDeadlineTimer(200), [] { return 4; }, record);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == 4; }, 5000));
    EXPECT_EQ(answers[2], std::nullopt) << "the stuck piece is answered empty by its deadline";
    EXPECT_EQ(answers[3], std::nullopt) << "and so is the piece waiting behind it";
    gate->open.release();
    ASSERT_TRUE(worker.waitUntilIdle(QDeadlineTimer(5000)));
    QTest::qWait(50);
    EXPECT_EQ(answers.size(), 4u) << "a late result is not answered";
}

}  // namespace
}  // namespace cinevan
