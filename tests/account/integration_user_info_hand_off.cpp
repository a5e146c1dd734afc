// The user information loads against korvana-service with a window stand-in
// that holds each report the way a busy window does: the user's members
// change only when the window takes the answer, never on the worker.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "account/AccountMembers.h"
#include "account/ProfileTasks.h"
#include "app/ClientManager.h"
#include "app/Messages.h"
#include "app/TaskKind.h"
#include "tests/support/SignedInTest.h"

namespace {

using namespace korvana::test;

// Each Send waits until the test, playing the window thread, lets it go.
class HoldingWindow : public IMessageTarget {
public:
    LRESULT Send(UINT msg, WPARAM wParam, LPARAM) override
    {
        std::unique_lock lock(m_mutex);
        const int index = m_arrived++;
        m_codes.push_back(msg == msg::UM_USERINFO ? static_cast<int>(wParam) : -1);
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_released > index || m_closed; });
        return 0;
    }
    void Post(UINT, WPARAM, LPARAM) override { }

    // Waits until the count-th report is held; the code it carries, or -1.
    int WaitHeld(int count)
    {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return m_arrived >= count; }))
            return -1;
        return m_codes[static_cast<std::size_t>(count - 1)];
    }
    int HeldCount()
    {
        std::lock_guard lock(m_mutex);
        return m_arrived;
    }
    void Release()
    {
        std::lock_guard lock(m_mutex);
        ++m_released;
        m_changed.notify_all();
    }
    void Close()
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_arrived = 0;
    int m_released = 0;
    bool m_closed = false;
    std::vector<int> m_codes;
};

constexpr const char* kOtherAnswer
    = R"({"status":true,"message":"{\"id\":\"77\",\"nickname\":\"second\",\"avatar\":\"/b.png\",)"
      R"(\"qtz_money\":\"7.25\",\"qtz_point\":1,\"invite_code\":\"KV000077\"}"})";

class UserInfoHandOffTest : public SignedInTest {
protected:
    void SetUp() override
    {
        SignedInTest::SetUp();
        // The session stays in the cookie file: a state whose window holds.
        held = std::make_shared<ClientManager>(&holding);
    }
    void TearDown() override
    {
        holding.Close();
        EXPECT_TRUE(tasks.Wait(std::chrono::seconds(20)));
        held->DetachWindow();
        SignedInTest::TearDown();
    }

    HoldingWindow holding;
    std::shared_ptr<ClientManager> held;
    TaskKind tasks { TaskKind::Policy::RunOnceAfter };
};

// All of the user's members as one text, to compare whole answers.
std::wstring Shown(const UserMembers& user)
{
    return std::wstring(user.userId.begin(), user.userId.end()) + L"|" + user.nickname + L"|"
        + user.avatarPath + L"|" + user.pointsText + L"|" + user.pointsWholeText + L"|" + user.myInviteCode;
}

TEST_F(UserInfoHandOffTest, TwoQuickRefreshesChangeTheUserOnlyWhenTheWindowTakesEachAnswer)
{
    ASSERT_EQ(tasks.Start(held, RefreshUserInfo), TaskKind::Outcome::Started);
    ASSERT_EQ(tasks.Start(held, RefreshUserInfo), TaskKind::Outcome::Queued);

    ASSERT_EQ(holding.WaitHeld(1), static_cast<int>(msg::kUserInfoLoaded));
    // The answer is waiting for the window: what the window reads is untouched.
    EXPECT_EQ(Shown(held->user), L"|||||");
    AdoptUserInfo(*held);
    EXPECT_EQ(Shown(held->user), L"42|演示用户|/api/index/avatar?id=42&v=1|100.50|100|KV000042");

    control().InjectFault(
        { { "path", "/api/qtz/front_user_get_info" }, { "body", kOtherAnswer }, { "times", 1 } });
    holding.Release();
    ASSERT_EQ(holding.WaitHeld(2), static_cast<int>(msg::kUserInfoLoaded));
    // Still all of the first answer while the second one waits.
    EXPECT_EQ(Shown(held->user), L"42|演示用户|/api/index/avatar?id=42&v=1|100.50|100|KV000042");
    AdoptUserInfo(*held);
    EXPECT_EQ(Shown(held->user), L"77|second|/b.png|7.25|7|KV000077");
    holding.Release();
    EXPECT_TRUE(tasks.Wait(std::chrono::seconds(20)));
    // Taken once: nothing is left to take again.
    AdoptUserInfo(*held);
    EXPECT_EQ(Shown(held->user), L"77|second|/b.png|7.25|7|KV000077");
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_user_get_info").size(), 2u);
}

TEST_F(UserInfoHandOffTest, AFailedRefreshLeavesTheUserAsTheLastAnswerMadeIt)
{
    tasks.Start(held, RefreshUserInfo);
    ASSERT_EQ(holding.WaitHeld(1), static_cast<int>(msg::kUserInfoLoaded));
    AdoptUserInfo(*held);
    holding.Release();
    const std::wstring first = Shown(held->user);

    // A fault is kept per path: the second one goes in while the first
    // failure waits for the window, before its load runs.
    control().InjectFault(
        { { "path", "/api/qtz/front_user_get_info" }, { "kind", "not_json" }, { "times", 1 } });
    tasks.Start(held, RefreshUserInfo);
    ASSERT_EQ(holding.WaitHeld(2), static_cast<int>(msg::kUserInfoFailed));
    AdoptUserInfo(*held);
    EXPECT_EQ(Shown(held->user), first);
    control().InjectFault(
        { { "path", "/api/qtz/front_user_get_info" }, { "kind", "empty" }, { "times", 1 } });
    tasks.Start(held, RefreshUserInfo);
    holding.Release();
    ASSERT_EQ(holding.WaitHeld(3), static_cast<int>(msg::kUserInfoFailed));
    AdoptUserInfo(*held);
    EXPECT_EQ(Shown(held->user), first);
    holding.Release();
}

// The window keeps reading while loads run one after the other, each with an
// answer of its own (with the thread sanitizer this also finds any write of
// the members on a worker).
TEST_F(UserInfoHandOffTest, TheWindowReadsTheUserWhileLoadsRun)
{
    constexpr int kLoads = 12;
    tasks.Start(held, RefreshUserInfo);
    for (int load = 1; load <= kLoads; ++load) {
        ASSERT_EQ(holding.WaitHeld(load), static_cast<int>(msg::kUserInfoLoaded)) << load;
        AdoptUserInfo(*held);
        const std::wstring taken = Shown(held->user);
        if (load > 1) {
            const std::wstring n = std::to_wstring(load);
            EXPECT_EQ(taken, L"7" + n + L"|n" + n + L"|/b.png|1.5|1|KV") << load;
        }
        if (load == kLoads) {
            holding.Release();
            break;
        }
        const std::string next = std::to_string(load + 1);
        control().InjectFault({ { "path", "/api/qtz/front_user_get_info" },
            { "body",
                R"({"status":true,"message":"{\"id\":\"7)" + next + R"(\",\"nickname\":\"n)" + next
                    + R"(\",\"avatar\":\"/b.png\",\"qtz_money\":\"1.5\",)"
                    + R"(\"qtz_point\":1,\"invite_code\":\"KV\"}"})" },
            { "times", 1 } });
        tasks.Start(held, RefreshUserInfo);
        holding.Release();
        // Until the next answer waits for the window, the members stay as taken.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (holding.HeldCount() <= load && std::chrono::steady_clock::now() < deadline) {
            ASSERT_EQ(Shown(held->user), taken) << load;
        }
    }
}

} // namespace
