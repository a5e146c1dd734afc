#include <gtest/gtest.h>

#include <QApplication>
#include <QThread>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/UiMessageQueue.h"
#include "platform/UiThreadCall.h"
#include "tests/support/QtApp.h"

namespace {

using namespace std::chrono_literals;

class MessageQueueTest : public ::testing::Test {
protected:
    void SetUp() override { korvana::test::EnsureQtApplication(); }
};

TEST_F(MessageQueueTest, SendFromAWorkerBlocksUntilTheUiThreadHasHandledIt)
{
    UiMessageQueue queue;
    int seenByHandler = 0; // plain int: the hand-off itself must order the accesses
    bool handledOnUiThread = false;
    queue.SetHandler([&](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        handledOnUiThread = UiMessageQueue::IsUiThread();
        std::this_thread::sleep_for(20ms); // a slow handler: the sender must still wait
        seenByHandler = static_cast<int>(msg + w + l);
        return 77;
    });

    std::atomic<bool> done { false };
    LRESULT result = 0;
    int seenAfterSend = 0;
    std::thread worker([&] {
        result = queue.Send(1000, 20, 3);
        seenAfterSend = seenByHandler;
        done = true;
    });
    RunNestedLoopUntil([&] { return done.load(); });
    worker.join();
    EXPECT_EQ(result, 77);
    EXPECT_EQ(seenAfterSend, 1023);
    EXPECT_TRUE(handledOnUiThread);
}

TEST_F(MessageQueueTest, PostAndSendArriveInTheOrderTheyWereMade)
{
    UiMessageQueue queue;
    std::vector<UINT> order;
    queue.SetHandler([&](UINT msg, WPARAM, LPARAM) -> LRESULT {
        order.push_back(msg);
        return 0;
    });
    std::atomic<bool> done { false };
    std::thread worker([&] {
        queue.Post(1, 0, 0);
        queue.Post(2, 0, 0);
        queue.Send(3, 0, 0);
        queue.Post(4, 0, 0);
        queue.Send(5, 0, 0);
        done = true;
    });
    RunNestedLoopUntil([&] { return done.load(); });
    worker.join();
    EXPECT_EQ(order, (std::vector<UINT> { 1, 2, 3, 4, 5 }));
}

// A task's progress wakes the UI thread once a frame, not once a post; none
// is lost or reordered, a send behind them does not wait for the frame, and
// a post after a quiet frame comes at once.
TEST_F(MessageQueueTest, PostsComeAFrameAtATimeInOrderAndASendDoesNotWaitForTheFrame)
{
    UiMessageQueue queue;
    std::vector<LPARAM> values;
    std::vector<std::chrono::steady_clock::time_point> times;
    queue.SetHandler([&](UINT, WPARAM, LPARAM l) -> LRESULT {
        values.push_back(l);
        times.push_back(std::chrono::steady_clock::now());
        return 0;
    });
    std::atomic<bool> done { false };
    std::chrono::steady_clock::duration sendTook {};
    std::thread worker([&] {
        const auto end = std::chrono::steady_clock::now() + 120ms;
        LPARAM n = 0;
        while (std::chrono::steady_clock::now() < end) {
            queue.Post(1, 0, n++);
            std::this_thread::sleep_for(200us);
        }
        const auto before = std::chrono::steady_clock::now();
        queue.Send(2, 0, -1);
        sendTook = std::chrono::steady_clock::now() - before;
        done = true;
    });
    RunNestedLoopUntil([&] { return done.load(); });
    worker.join();
    ASSERT_GE(values.size(), 2u);
    bool inOrder = values.back() == -1;
    for (std::size_t i = 0; i + 1 < values.size(); ++i)
        inOrder = inOrder && values[i] == static_cast<LPARAM>(i);
    EXPECT_TRUE(inOrder);
    // Delivered in clumps a frame apart: a post every 0.2 ms delivered one
    // by one would leave no gap this long.
    int gaps = 0;
    for (std::size_t i = 1; i < times.size(); ++i)
        gaps += times[i] - times[i - 1] > 8ms ? 1 : 0;
    EXPECT_GE(gaps, 3);
    EXPECT_LT(sendTook, 200ms);

    values.clear();
    std::this_thread::sleep_for(40ms);
    QCoreApplication::processEvents(); // the frame of the last post ends
    queue.Post(3, 0, 7);
    QCoreApplication::processEvents();
    EXPECT_EQ(values, (std::vector<LPARAM> { 7 }));
}

TEST_F(MessageQueueTest, SendOnTheUiThreadRunsTheHandlerAtOnce)
{
    UiMessageQueue queue;
    int calls = 0;
    queue.SetHandler([&](UINT, WPARAM, LPARAM) -> LRESULT { return ++calls; });
    EXPECT_EQ(queue.Send(9, 0, 0), 1);
    EXPECT_EQ(calls, 1);
}

TEST_F(MessageQueueTest, DetachReleasesABlockedSenderAndDropsLaterMessages)
{
    UiMessageQueue queue;
    std::atomic<int> handled { 0 };
    queue.SetHandler([&](UINT, WPARAM, LPARAM) -> LRESULT {
        ++handled;
        return 5;
    });
    std::atomic<bool> sending { false };
    std::atomic<bool> returned { false };
    LRESULT result = -1;
    std::thread worker([&] {
        sending = true;
        result = queue.Send(1, 0, 0); // the UI thread does not pump: blocks
        returned = true;
    });
    while (!sending)
        std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(30ms);
    EXPECT_FALSE(returned.load());
    queue.Detach();
    worker.join();
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(queue.IsDetached());

    // After the end nothing is delivered, and nobody waits.
    queue.Post(2, 0, 0);
    std::thread late([&] { EXPECT_EQ(queue.Send(3, 0, 0), 0); });
    late.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(handled.load(), 0);
}

TEST_F(MessageQueueTest, WorkForLaterRunsOnTheUiThreadAfterItsDelayNotBefore)
{
    bool ran = false;
    bool onUiThread = false;
    const auto asked = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration after {};
    RunOnUiThreadLater(
        [&] {
            ran = true;
            onUiThread = UiMessageQueue::IsUiThread();
            after = std::chrono::steady_clock::now() - asked;
        },
        30);
    EXPECT_FALSE(ran);
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
    RunNestedLoopUntil([&] { return ran; });
    EXPECT_TRUE(onUiThread);
    EXPECT_GE(after, 29ms);
}

TEST_F(MessageQueueTest, NestedLoopReturnsAtOnceWhenAlreadyDone)
{
    int checks = 0;
    RunNestedLoopUntil([&] { return ++checks > 0; });
    EXPECT_EQ(checks, 1);
}

} // namespace
