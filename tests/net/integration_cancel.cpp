#include <gtest/gtest.h>

#include <chrono>
#include <curl/curl.h>
#include <future>

#include "net/CancelToken.h"
#include "net/ServiceCall.h"
#include "tests/support/ServiceTest.h"

namespace {

using Clock = std::chrono::steady_clock;
const char* kGroups = "/api/qtz/front_app_category";

class CancelTest : public korvana::test::ServiceTest {
protected:
    // Waits until the service has logged `count` requests to `path`.
    bool WaitForRequests(const std::string& path, std::size_t count)
    {
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        while (Clock::now() < deadline) {
            if (control().RequestsTo(path).size() >= count)
                return true;
        }
        return false;
    }

    static ServiceReply Call(const CancelToken& token)
    {
        ServiceRequest request;
        request.path = kGroups;
        request.cancel = token;
        return CallService(request);
    }
};

TEST(CancelTokenTest, AChildStopsWithItsParentButNotTheOtherWayRound)
{
    CancelToken parent;
    CancelToken child = parent.Child();
    CancelToken grandchild = child.Child();
    CancelToken copy = child;
    EXPECT_FALSE(grandchild.IsCancelled());
    copy.Cancel();
    EXPECT_TRUE(child.IsCancelled());
    EXPECT_TRUE(grandchild.IsCancelled());
    EXPECT_FALSE(parent.IsCancelled());

    CancelToken other = parent.Child();
    parent.Cancel();
    EXPECT_TRUE(other.IsCancelled());
}

TEST(CancelTokenTest, TheSessionTokenIsRenewedByItsCancellationAndTasksKeepTheirOwn)
{
    CancelToken before = SessionCancelToken();
    CancelToken task = before.Child();
    {
        ScopedTaskToken scope(task);
        CancelSessionTransfers();
        EXPECT_TRUE(CurrentTaskToken().IsCancelled());
    }
    EXPECT_TRUE(before.IsCancelled());
    EXPECT_FALSE(SessionCancelToken().IsCancelled());
    EXPECT_FALSE(CurrentTaskToken().IsCancelled());
}

TEST_F(CancelTest, AStalledTransferEndsSoonAfterItsTokenIsCancelled)
{
    control().InjectFault({ { "path", kGroups }, { "delay_ms", 30000 } });
    CancelToken token;
    std::future<ServiceReply> pending = std::async(std::launch::async, [token] { return Call(token); });
    ASSERT_TRUE(WaitForRequests(kGroups, 1));
    const auto cancelledAt = Clock::now();
    token.Cancel();
    ASSERT_EQ(pending.wait_for(std::chrono::seconds(20)), std::future_status::ready)
        << "the transfer waited for the service";
    const ServiceReply reply = pending.get();
    // Far below the 30 s the service holds the answer.
    EXPECT_LT(Clock::now() - cancelledAt, std::chrono::seconds(20));
    EXPECT_EQ(reply.stage, ServiceStage::TransferFailed);
    EXPECT_EQ(reply.result, CURLE_ABORTED_BY_CALLBACK);
    EXPECT_TRUE(reply.cancelled);
    EXPECT_TRUE(reply.text.empty()); // nothing to tell the user
}

TEST_F(CancelTest, ACancelledTokenSendsNothingAndOtherFailuresAreNotCancellations)
{
    CancelToken token;
    token.Cancel();
    const ServiceReply reply = Call(token);
    EXPECT_TRUE(reply.cancelled);
    EXPECT_TRUE(control().RequestsTo(kGroups).empty());

    control().InjectFault({ { "path", kGroups }, { "drop", true }, { "times", 1 } });
    const ServiceReply dropped = Call(CancelToken());
    EXPECT_EQ(dropped.stage, ServiceStage::TransferFailed);
    EXPECT_FALSE(dropped.cancelled);
    // Without a token of its own a call takes the session's, which a
    // sign-out cancels.
    ServiceRequest plain;
    plain.path = kGroups;
    control().InjectFault({ { "path", kGroups }, { "delay_ms", 30000 } });
    std::future<ServiceReply> pending
        = std::async(std::launch::async, [plain] { return CallService(plain); });
    ASSERT_TRUE(WaitForRequests(kGroups, 2));
    CancelSessionTransfers();
    ASSERT_EQ(pending.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_TRUE(pending.get().cancelled);
}

TEST_F(CancelTest, TheLatencyControlDelaysServicePathsUntilAReset)
{
    nlohmann::json answer = nlohmann::json::parse(control().Post("/__test/latency?ms=300", "").body);
    EXPECT_EQ(answer["latency_ms"], 300);
    const auto start = Clock::now();
    EXPECT_EQ(Call(CancelToken()).stage, ServiceStage::Answered);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_EQ(control().Post("/__test/latency?ms=-1", "").status, 400);
    control().Reset();
    answer = nlohmann::json::parse(control().Get("/__test/latency").body);
    EXPECT_EQ(answer["latency_ms"], 0);
}

} // namespace
