#include <gtest/gtest.h>

#include <QApplication>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "app/Task.h"
#include "platform/UiMessageQueue.h"
#include "tests/support/HelperProcess.h"
#include "tests/support/QtApp.h"
#include "tests/support/RecordingTarget.h"
#include "tests/support/StderrCapture.h"

namespace {

using namespace korvana::test;
using namespace std::chrono_literals;

// A gate a test opens to let a waiting task go on.
struct Gate {
    std::mutex mutex;
    std::condition_variable cv;
    bool open = false;

    void Open()
    {
        std::lock_guard lock(mutex);
        open = true;
        cv.notify_all();
    }
    void WaitOpen()
    {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return open; });
    }
};

constexpr UINT kTestMessage = WM_USER + 1;

void ReportArgument(ClientManager& owner, TaskArg argument)
{
    owner.user.loginName = L"written by the task";
    owner.Send(kTestMessage, static_cast<WPARAM>(argument), L"done " + std::to_wstring(argument));
}

void WaitAtGate(ClientManager& owner, std::shared_ptr<Gate>& gate)
{
    gate->WaitOpen();
    owner.Send(kTestMessage, 1, L"after the gate");
}

bool TextOfTestMessage(UINT msg, WPARAM)
{
    return msg == kTestMessage;
}

class TaskTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(WaitForAllTasks(5s)); }

    RecordingTarget window { TextOfTestMessage };
    std::shared_ptr<ClientManager> manager = std::make_shared<ClientManager>(&window);
};

TEST_F(TaskTest, RoutineRunsOnItsOwnThreadWithItsArgumentAndTheHandleWaits)
{
    StderrCapture log;
    TaskHandle handle = StartTask(manager, ReportArgument, 42);
    ASSERT_TRUE(handle.IsValid());
    EXPECT_TRUE(handle.Wait(5s));
    EXPECT_TRUE(handle.IsFinished());
    const auto messages = window.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].msg, kTestMessage);
    EXPECT_EQ(messages[0].wParam, 42u);
    EXPECT_TRUE(messages[0].sent);
    EXPECT_EQ(messages[0].text, L"done 42");
    EXPECT_EQ(manager->user.loginName, L"written by the task"); // handed over by the wait
    EXPECT_EQ(log.CountOf("thread ENDED!\n"), 1u);
}

TEST_F(TaskTest, ADroppedHandleLeavesTheTaskRunning)
{
    StartTask(manager, ReportArgument, 7).Drop();
    ASSERT_TRUE(WaitForAllTasks(5s));
    EXPECT_EQ(window.Messages().size(), 1u);
    EXPECT_EQ(RunningTaskCount(), 0);
}

TEST_F(TaskTest, AThreadThatCannotStartRunsNothingAndLogsIt)
{
    StderrCapture log;
    FailTaskStartsForTesting(1);
    auto gate = std::make_shared<Gate>();
    std::weak_ptr<Gate> watch = gate;
    TaskHandle handle = StartTaskWith(manager, WaitAtGate, std::move(gate));
    EXPECT_FALSE(handle.IsValid());
    EXPECT_TRUE(handle.Wait()); // nothing to wait for
    EXPECT_TRUE(watch.expired()); // the handed-over object is freed, not leaked
    EXPECT_EQ(RunningTaskCount(), 0);
    EXPECT_TRUE(window.Messages().empty());
    EXPECT_EQ(log.CountOf("_beginthread FAILED!\n"), 1u);
    EXPECT_EQ(log.CountOf("thread ENDED!\n"), 0u);
}

TEST_F(TaskTest, AHandedOverObjectLivesUntilTheRoutineHasReturned)
{
    auto gate = std::make_shared<Gate>();
    Gate* raw = gate.get();
    std::weak_ptr<Gate> watch = gate;
    TaskHandle handle = StartTaskWith(manager, WaitAtGate, std::move(gate));
    EXPECT_FALSE(handle.Wait(30ms)); // still at the gate
    EXPECT_FALSE(watch.expired());
    raw->Open();
    EXPECT_TRUE(handle.Wait(5s));
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(window.Messages().at(0).text, L"after the gate");
}

TEST_F(TaskTest, TheStateOutlivesTheWindowsReferenceWhileATaskRuns)
{
    Gate gate;
    std::weak_ptr<ClientManager> watch = manager;
    TaskHandle handle = StartTask(
        manager,
        [](ClientManager& owner, TaskArg arg) {
            reinterpret_cast<Gate*>(arg)->WaitOpen();
            owner.user.captchaName = L"still here"; // must not touch freed memory
            owner.Send(kTestMessage, 2, L"late");
        },
        reinterpret_cast<TaskArg>(&gate));

    // The window ends: nothing reaches it any more, and it lets go.
    manager->DetachWindow();
    manager.reset();
    EXPECT_FALSE(watch.expired());
    gate.Open();
    EXPECT_TRUE(handle.Wait(5s));
    EXPECT_TRUE(watch.expired()); // freed by the task, after its routine
    EXPECT_TRUE(window.Messages().empty()); // the late report went nowhere
}

TEST_F(TaskTest, DetachWindowWaitsForASendStillInsideTheWindow)
{
    // A window whose handler is still running when the detach begins: it
    // leaves only once the detach has taken the window away.
    struct SlowWindow : IMessageTarget {
        std::atomic<bool> inside { false };
        std::atomic<bool> left { false };
        std::atomic<ClientManager*> owner { nullptr };
        LRESULT Send(UINT, WPARAM, LPARAM) override
        {
            inside = true;
            while (owner.load()->HasWindow())
                std::this_thread::yield();
            left = true;
            return 1;
        }
        void Post(UINT, WPARAM, LPARAM) override { }
    } slow;
    auto owner = std::make_shared<ClientManager>(&slow);
    slow.owner = owner.get();
    TaskHandle handle
        = StartTask(owner, [](ClientManager& o, TaskArg) { o.Send(kTestMessage, 0, LPARAM { 0 }); });
    while (!slow.inside)
        std::this_thread::yield();
    owner->DetachWindow();
    EXPECT_TRUE(slow.left.load()); // the window was not freed under the handler
    EXPECT_FALSE(owner->HasWindow());
    EXPECT_EQ(owner->Send(kTestMessage, 0, L"x"), 0);
    handle.Wait(5s);
}

TEST_F(TaskTest, PostCarriesIntegers)
{
    manager->Post(msg::UM_DEVICES, msg::kDevicesProgress, 33);
    const auto messages = window.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(messages[0].sent);
    EXPECT_EQ(messages[0].lParam, 33);
}

// Database work of a fresh ClientManager waits for the start-up task's
// database step: a waiter on another thread goes on when the step ends, and
// a failed step lets it go on with "no database" rather than waiting on.
TEST_F(TaskTest, DatabaseWorkWaitsForTheStartupDatabaseStep)
{
    EXPECT_EQ(manager->user.loginState, kLoginStateLoggedOut);
    EXPECT_FALSE(manager->catalogue.databaseStep.WaitOpen(10ms));
    std::atomic<int> result { -1 };
    std::thread waiter([&] { result = manager->catalogue.databaseStep.WaitOpen(30s) ? 1 : 0; });
    manager->catalogue.databaseStep.End(true);
    waiter.join();
    EXPECT_EQ(result.load(), 1);

    auto failed = std::make_shared<ClientManager>(&window);
    std::thread second([&] { result = failed->catalogue.databaseStep.WaitOpen(30s) ? 1 : 0; });
    failed->catalogue.databaseStep.End(false);
    second.join();
    EXPECT_EQ(result.load(), 0);
}

// The window's side: a task reporting through the UI thread's queue.
class WindowTaskTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureQtApplication();
        queue = std::make_unique<UiMessageQueue>();
        queue->SetHandler([this](UINT m, WPARAM w, LPARAM l) -> LRESULT {
            handled.push_back(m);
            if (m == kTestMessage && l)
                texts.emplace_back(reinterpret_cast<const wchar_t*>(l));
            return 0;
        });
        manager = std::make_shared<ClientManager>(queue.get());
    }
    void TearDown() override { EXPECT_TRUE(WaitForAllTasks(5s)); }

    std::unique_ptr<UiMessageQueue> queue;
    std::shared_ptr<ClientManager> manager;
    std::vector<UINT> handled;
    std::vector<std::wstring> texts;
};

TEST_F(WindowTaskTest, WaitingOnTheUiThreadStillHandlesTheTasksMessages)
{
    // The sign-out shape: the task's Send can only return once the waiting UI
    // thread has handled it.
    TaskHandle handle = StartTask(manager, [](ClientManager& owner, TaskArg) {
        owner.Post(msg::UM_DEVICES, msg::kDevicesProgress, 50);
        owner.Send(msg::UM_LOGOUT, 0, L"");
        owner.Send(kTestMessage, 0, L"退出成功");
    });
    EXPECT_TRUE(handle.Wait());
    EXPECT_EQ(handled, (std::vector<UINT> { msg::UM_DEVICES, msg::UM_LOGOUT, kTestMessage }));
    EXPECT_EQ(texts, std::vector<std::wstring> { L"退出成功" });
}

TEST_F(WindowTaskTest, TheEndOfTheWindowReleasesATaskBlockedInSend)
{
    std::weak_ptr<ClientManager> watch = manager;
    std::atomic<bool> sendReturned { false };
    static std::atomic<bool>* flag;
    flag = &sendReturned;
    TaskHandle handle = StartTask(manager, [](ClientManager& owner, TaskArg) {
        owner.Send(kTestMessage, 0, L"never handled"); // the UI thread is not pumping
        *flag = true;
    });
    // However long the test waited here, the send could not return: the UI
    // thread does not pump.
    EXPECT_FALSE(sendReturned.load());

    // The window's end, in this order.
    queue->Detach();
    manager->DetachWindow();
    manager.reset();
    queue.reset();
    EXPECT_TRUE(handle.Wait(5s));
    EXPECT_TRUE(sendReturned.load());
    EXPECT_TRUE(watch.expired());
    EXPECT_TRUE(handled.empty());
}

void WaitForever(ClientManager&, TaskArg)
{
    Gate never;
    never.WaitOpen();
}

TEST(TaskEndOfProcessHelper, StuckTaskDoesNotHoldTheExit)
{
    if (HelperRole() != "stuck")
        GTEST_SKIP() << "runs only as the helper process of the end-of-process test";
    auto owner = std::make_shared<ClientManager>(nullptr);
    StartTask(owner, WaitForever).Drop();
    owner.reset();
    EndProcessAfterTasks(3, 100ms);
}

TEST(TaskEndOfProcess, AStuckTaskIsGivenABoundAndTheProcessEndsWithItsCode)
{
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunHelperProcess("TaskEndOfProcessHelper.*", "stuck"), 3);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
}

} // namespace
