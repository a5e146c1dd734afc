// Tasks of one kind never overlap: a request while one runs waits and runs
// after it on the same thread, or is merged into the running one.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "app/ClientManager.h"
#include "app/TaskKind.h"
#include "tests/support/RecordingTarget.h"

namespace {

using namespace korvana::test;
using namespace std::chrono_literals;

// What the routines of the test record: the argument of each run, in order,
// the threads they ran on, and how many ran at once at most.
struct Runs {
    std::mutex mutex;
    std::condition_variable cv;
    bool open = false;
    int active = 0;
    int mostAtOnce = 0;
    int started = 0;
    std::vector<int> order;
    std::vector<std::thread::id> threads;

    void Run(int argument)
    {
        std::unique_lock lock(mutex);
        mostAtOnce = std::max(mostAtOnce, ++active);
        ++started;
        cv.notify_all();
        // Every run waits for the test to open the gate, so an overlap
        // would be caught with both inside.
        cv.wait(lock, [&] { return open; });
        order.push_back(argument);
        threads.push_back(std::this_thread::get_id());
        --active;
    }
    void Open()
    {
        std::lock_guard lock(mutex);
        open = true;
        cv.notify_all();
    }
    bool WaitStarted(int count)
    {
        std::unique_lock lock(mutex);
        return cv.wait_for(lock, 10s, [&] { return started >= count; });
    }
};

Runs* g_runs = nullptr;

void Load(ClientManager&, TaskArg argument)
{
    g_runs->Run(static_cast<int>(argument));
}

void Save(ClientManager&, int& value)
{
    g_runs->Run(100 + value);
}

bool NoText(UINT, WPARAM)
{
    return false;
}

class TaskKindTest : public ::testing::Test {
protected:
    void SetUp() override { g_runs = &runs; }
    void TearDown() override
    {
        runs.Open();
        EXPECT_TRUE(WaitForAllTasks(10s));
        g_runs = nullptr;
    }

    Runs runs;
    RecordingTarget window { NoText };
    std::shared_ptr<ClientManager> manager = std::make_shared<ClientManager>(&window);
};

TEST_F(TaskKindTest, ARequestWhileOneRunsRunsOnceAfterItWithTheLatestArgument)
{
    TaskKind kind(TaskKind::Policy::RunOnceAfter);
    EXPECT_EQ(kind.Start(manager, Load, 1), TaskKind::Outcome::Started);
    ASSERT_TRUE(runs.WaitStarted(1));
    EXPECT_TRUE(kind.IsRunning());
    EXPECT_EQ(kind.Start(manager, Load, 2), TaskKind::Outcome::Queued);
    EXPECT_EQ(kind.StartWith(manager, Save, 7), TaskKind::Outcome::Queued);
    // The same routine again: it replaces the one waiting, keeping its turn.
    EXPECT_EQ(kind.Start(manager, Load, 3), TaskKind::Outcome::Queued);
    runs.Open();
    ASSERT_TRUE(kind.Wait(10s));
    EXPECT_FALSE(kind.IsRunning());
    EXPECT_EQ(runs.order, (std::vector<int> { 1, 3, 107 }));
    EXPECT_EQ(runs.mostAtOnce, 1);
    ASSERT_EQ(runs.threads.size(), 3u);
    EXPECT_EQ(runs.threads[0], runs.threads[1]);
    EXPECT_EQ(runs.threads[1], runs.threads[2]);

    // Idle again: the next request has a thread of its own.
    EXPECT_EQ(kind.Start(manager, Load, 4), TaskKind::Outcome::Started);
    ASSERT_TRUE(kind.Wait(10s));
    EXPECT_EQ(runs.order.back(), 4);
}

TEST_F(TaskKindTest, AMergedRequestIsAnsweredByTheRunningOne)
{
    TaskKind kind(TaskKind::Policy::Merge);
    EXPECT_EQ(kind.Start(manager, Load, 1), TaskKind::Outcome::Started);
    ASSERT_TRUE(runs.WaitStarted(1));
    EXPECT_EQ(kind.Start(manager, Load, 2), TaskKind::Outcome::Merged);
    EXPECT_EQ(kind.Start(manager, Load, 3), TaskKind::Outcome::Merged);
    runs.Open();
    ASSERT_TRUE(kind.Wait(10s));
    EXPECT_EQ(runs.order, (std::vector<int> { 1 }));
}

TEST_F(TaskKindTest, RequestsFromManyThreadsNeverOverlap)
{
    TaskKind kind(TaskKind::Policy::RunOnceAfter);
    runs.Open();
    std::vector<std::thread> askers;
    for (int t = 0; t < 4; ++t) {
        askers.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i)
                kind.Start(manager, Load, static_cast<TaskArg>(t * 100 + i));
        });
    }
    for (std::thread& asker : askers)
        asker.join();
    ASSERT_TRUE(kind.Wait(10s));
    EXPECT_EQ(runs.mostAtOnce, 1);
    EXPECT_FALSE(runs.order.empty());
}

TEST_F(TaskKindTest, DroppedRequestsDoNotRunAndAFailedStartLeavesTheKindIdle)
{
    TaskKind kind(TaskKind::Policy::RunOnceAfter);
    kind.Start(manager, Load, 1);
    ASSERT_TRUE(runs.WaitStarted(1));
    kind.Start(manager, Load, 2);
    kind.DropQueued();
    runs.Open();
    ASSERT_TRUE(kind.Wait(10s));
    EXPECT_EQ(runs.order, (std::vector<int> { 1 }));

    FailTaskStartsForTesting(1);
    EXPECT_EQ(kind.Start(manager, Load, 5), TaskKind::Outcome::NotStarted);
    EXPECT_FALSE(kind.IsRunning());
    EXPECT_EQ(kind.Start(manager, Load, 6), TaskKind::Outcome::Started);
    ASSERT_TRUE(kind.Wait(10s));
    EXPECT_EQ(runs.order.back(), 6);
}

} // namespace
