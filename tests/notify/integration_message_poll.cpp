// The message poll and the read mark against korvana-service: the bytes they
// send, what they read, and what bad answers do to them.
#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>

#include "account/Login.h"
#include "app/ClientManager.h"
#include "app/Messages.h"
#include "notify/MessagePoll.h"
#include "tests/support/PageOrder.h"
#include "tests/support/RecordingTarget.h"
#include "tests/support/SignedInTest.h"

namespace {

using namespace korvana::test;
using nlohmann::json;

constexpr const char* kList = "/api/qtz/front_user_message_list";
constexpr const char* kRead = "/api/qtz/front_user_message_has_read";

class MessagePollTest : public SignedInTest {
protected:
    void SetMessages(const json& setup)
    {
        EXPECT_EQ(control().Post("/__test/messages/set", setup.dump()).status, 200);
    }
    std::vector<std::string> Bodies(const char* path)
    {
        std::vector<std::string> bodies;
        for (const LoggedRequest& r : control().RequestsTo(path))
            bodies.push_back(r.body);
        return InLoadOrder(std::move(bodies));
    }
    json Marks()
    {
        return json::parse(control().Get("/__test/messages/marks?user_id=42").body).at("last_read_ids");
    }
};

TEST_F(MessagePollTest, TwentyThreeNoticesComeFromThreePagesInPageOrder)
{
    SetMessages({ { "type", 2 }, { "count", 23 }, { "first_id", 35 }, { "last_read_id", 55 } });
    MessageCategory block;
    LoadMessages(2, block);
    EXPECT_EQ(Bodies(kList),
        (std::vector<std::string> { "&type=2&page_size=10&page_index=1", "&type=2&page_size=10&page_index=2",
            "&type=2&page_size=10&page_index=3" }));
    ASSERT_EQ(block.list.size(), 23u);
    for (std::size_t i = 0; i < block.list.size(); ++i)
        EXPECT_EQ(block.list[i].id, 57 - static_cast<int>(i));
    EXPECT_EQ(block.list[0].title, L"消息 57");
    EXPECT_EQ(block.highestId, 57);
    EXPECT_EQ(block.lastReadId, 55);
    EXPECT_TRUE(block.unread);
}

TEST_F(MessagePollTest, AReadCategoryHasNoDotAndALoadReplacesTheList)
{
    SetMessages({ { "type", 1 }, { "count", 3 }, { "first_id", 10 }, { "last_read_id", 12 } });
    MessageCategory block;
    block.list.resize(5);
    LoadMessages(1, block);
    EXPECT_EQ(block.list.size(), 3u);
    EXPECT_FALSE(block.unread);
    SetMessages({ { "type", 1 } });
    LoadMessages(1, block);
    EXPECT_TRUE(block.list.empty());
    EXPECT_EQ(block.highestId, 12) << "the highest id seen stays";
    EXPECT_EQ(block.lastReadId, 0);
    EXPECT_TRUE(block.unread) << "the service's mark went back";
}

TEST_F(MessagePollTest, TheReadMarkSendsTypeAndIdAndTheServiceKeepsIt)
{
    EXPECT_TRUE(SendReadMark({ 2, 57 }));
    EXPECT_EQ(Bodies(kRead), std::vector<std::string> { "&type=2&id=57" });
    EXPECT_EQ(Marks(), json({ 12, 57, 30 }));
    // A lower mark does not move the service's back.
    EXPECT_TRUE(SendReadMark({ 2, 0 }));
    EXPECT_EQ(Marks(), json({ 12, 57, 30 }));
}

TEST_F(MessagePollTest, ThePollLoadsTheThreeTypesAndHandsItsResultOver)
{
    MessagePoll poll;
    poll.generation = 7;
    MessagePoll* seen = nullptr;
    RecordingTarget target;
    auto owner = std::make_shared<ClientManager>(&target);
    LoadAllMessages(*owner, poll);
    ASSERT_TRUE(target.WaitForCount(1));
    const RecordedMessage m = target.Messages()[0];
    EXPECT_EQ(m.msg, msg::UM_MESSAGES);
    EXPECT_EQ(m.wParam, msg::kMessagesReady);
    EXPECT_TRUE(m.sent);
    seen = reinterpret_cast<MessagePoll*>(m.lParam);
    EXPECT_EQ(seen, &poll);
    EXPECT_EQ(Bodies(kList),
        (std::vector<std::string> { "&type=1&page_size=10&page_index=1", "&type=2&page_size=10&page_index=1",
            "&type=3&page_size=10&page_index=1" }));
    // The demo world: system all read, notices 57 over 55, activity 31 over 30.
    EXPECT_FALSE(poll.categories[0].unread);
    EXPECT_TRUE(poll.categories[1].unread);
    EXPECT_TRUE(poll.categories[2].unread);
    EXPECT_EQ(poll.categories[1].list.size(), 4u);
    EXPECT_EQ(poll.categories[1].list[2].description, L"您已成功购买2台设备，\n已加入默认分组。");
    EXPECT_TRUE(Bodies(kRead).empty());
}

// The poll used to send the marks of this run again and keep their dots off
// whatever the service said. A poll sends no marks: the dot is the service's.
TEST_F(MessagePollTest, APollSendsNoReadMarksAndTakesTheUnreadFlagFromTheService)
{
    MessagePoll poll;
    poll.highestIds = { 0, 57, 0 };
    poll.lastReadIds = { 0, 57, 0 };
    LoadAllMessages(*client, poll);
    EXPECT_TRUE(Bodies(kRead).empty());
    // The service still says 55: the mark of 57 never reached it.
    EXPECT_EQ(poll.categories[1].lastReadId, 55);
    EXPECT_TRUE(poll.categories[1].unread);
}

TEST_F(MessagePollTest, BadAnswersGiveEmptyListsAndNoCrash)
{
    SetMessages({ { "type", 2 }, { "count", 23 }, { "first_id", 35 }, { "last_read_id", 55 } });
    for (const json& fault :
        { json { { "kind", "not_json" } }, json { { "kind", "wrong_types" } }, json { { "kind", "empty" } },
            json { { "drop", true } }, json { { "truncate", true } }, json { { "status", 500 } },
            json { { "body",
                R"({"status":true,"message":"{\"pages\":\"3\",\"last_read_id\":55,\"data\":{\"id\":\"1\"}}"})" } },
            json { { "body", R"({"status":true,"message":"[1,2]"})" } } }) {
        control().ClearFaults();
        control().ClearLog();
        json setup = fault;
        setup["path"] = kList;
        control().InjectFault(setup);
        MessageCategory block;
        block.list.resize(3);
        block.lastReadId = 9;
        LoadMessages(2, block);
        EXPECT_TRUE(block.list.empty()) << fault.dump();
        EXPECT_EQ(block.lastReadId, 9) << fault.dump();
        EXPECT_EQ(Bodies(kList).size(), 1u) << "a failed first page ends the load: " << fault.dump();
    }
}

TEST_F(MessagePollTest, AFailedPageIsSkippedWhileAnEarlierPageReportedMore)
{
    SetMessages({ { "type", 2 }, { "count", 23 }, { "first_id", 35 }, { "fail_page", 2 } });
    MessageCategory block;
    LoadMessages(2, block);
    EXPECT_EQ(Bodies(kList).size(), 3u);
    ASSERT_EQ(block.list.size(), 13u);
    EXPECT_EQ(block.list[9].id, 48);
    EXPECT_EQ(block.list[10].id, 37) << "page 3 follows page 1";

    control().ClearLog();
    SetMessages({ { "type", 2 }, { "count", 23 }, { "first_id", 35 }, { "fail_page", 1 } });
    LoadMessages(2, block);
    EXPECT_EQ(Bodies(kList).size(), 1u) << "nothing told of more pages";
    EXPECT_TRUE(block.list.empty());
}

TEST_F(MessagePollTest, ASignedOutPollReadsNothing)
{
    client->user.loginName = L"";
    RequestLogout(*client, 0);
    control().ClearLog();
    MessageCategory block;
    LoadMessages(2, block);
    EXPECT_TRUE(block.list.empty());
    EXPECT_FALSE(block.unread);
    EXPECT_FALSE(SendReadMark({ 2, 57 })) << "-1000 is only logged";
}

TEST_F(MessagePollTest, AMillionPagesAreBoundedToAHundredRequests)
{
    const std::string page
        = R"({"status":true,"message":"{\"page_index\":1,\"pages\":1000000,\"last_read_id\":\"1\",\"data\":[{\"id\":\"4294967296\"}]}"})";
    control().InjectFault({ { "path", kList }, { "body", page } });
    MessageCategory block;
    LoadMessages(3, block);
    EXPECT_EQ(Bodies(kList).size(), static_cast<std::size_t>(kMaxMessagePages));
    EXPECT_EQ(block.list.size(), static_cast<std::size_t>(kMaxMessagePages));
    EXPECT_EQ(block.highestId, 2147483647) << "ids beyond 32 bits saturate";
    EXPECT_TRUE(block.unread);
}

} // namespace
