// Reading message pages: the records, the highest id, dates in UTC and the
// text the list shows.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "net/JsonRead.h"
#include "notify/MessagePage.h"
#include "notify/NotifyMembers.h"
#include "tests/support/ScopedEnv.h"

namespace {

using korvana::test::ScopedEnv;

json::Document Parse(const std::string& text)
{
    json::Document document = json::Parse(text);
    EXPECT_TRUE(document) << text;
    return document;
}

TEST(MessagePageTest, ReadsEveryFieldOfARecord)
{
    // "\xcd\xa8\xd6\xaa" is 通知 in code page 936, as the envelope hands it on.
    auto item = Parse("{\"id\":\"57\",\"category\":\"user\",\"title\":\"\xcd\xa8\xd6\xaa\","
                      "\"description\":\"a\\nb\",\"publish_at\":\"97200\"}");
    const MessageRecord record = ParseMessageRecord(item.get());
    EXPECT_EQ(record.id, 57);
    EXPECT_EQ(record.category, L"user");
    EXPECT_EQ(record.title, L"通知");
    EXPECT_EQ(record.description, L"a\nb");
    EXPECT_EQ(record.date, L"1970-01-02");
}

TEST(MessagePageTest, MissingNullAndWrongTypesLeaveFieldsEmpty)
{
    auto item = Parse(R"({"id":57,"title":null,"description":["x"],"publish_at":97200,"category":{}})");
    const MessageRecord record = ParseMessageRecord(item.get());
    EXPECT_EQ(record.id, 0) << "an id that is no text reads as 0";
    EXPECT_TRUE(record.title.empty());
    EXPECT_TRUE(record.description.empty());
    EXPECT_TRUE(record.date.empty());
    EXPECT_TRUE(record.category.empty());
    EXPECT_EQ(ParseMessageRecord(nullptr).id, 0);
    auto number = Parse("3");
    EXPECT_EQ(ParseMessageRecord(number.get()).id, 0);
}

TEST(MessagePageTest, IdsBeyondThirtyTwoBitsSaturate)
{
    auto item = Parse(R"({"id":"99999999999"})");
    EXPECT_EQ(ParseMessageRecord(item.get()).id, 2147483647);
    auto negative = Parse(R"({"id":"-99999999999"})");
    EXPECT_EQ(ParseMessageRecord(negative.get()).id, -2147483647 - 1);
}

TEST(MessagePageTest, APageAppendsInOrderAndOnlyRaisesTheHighestId)
{
    std::vector<MessageRecord> list { MessageRecord { 1, {}, {}, {}, {} } };
    std::int32_t highest = 60;
    auto page = Parse(R"({"data":[{"id":"57"},{"id":"59"},{"id":"58"}]})");
    ParseMessagePage(page.get(), list, highest);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[1].id, 57);
    EXPECT_EQ(list[2].id, 59);
    EXPECT_EQ(list[3].id, 58);
    EXPECT_EQ(highest, 60) << "the highest id only grows";

    highest = 10;
    ParseMessagePage(page.get(), list, highest);
    EXPECT_EQ(highest, 59);
}

TEST(MessagePageTest, PagesWithoutADataArrayAppendNothing)
{
    std::vector<MessageRecord> list;
    std::int32_t highest = 5;
    for (const char* text :
        { R"({})", R"({"data":null})", R"({"data":{"id":"9"}})", R"({"data":"x"})", R"([1,2])" }) {
        auto page = Parse(text);
        ParseMessagePage(page.get(), list, highest);
    }
    ParseMessagePage(nullptr, list, highest);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(highest, 5);
    // Elements that are no objects still count, as empty messages.
    auto page = Parse(R"({"data":[1,"2",null]})");
    ParseMessagePage(page.get(), list, highest);
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(highest, 5);
}

TEST(MessagePageTest, DatesAreUtcWhateverTheLocalZone)
{
    for (const char* zone : { "Asia/Shanghai", "America/Los_Angeles", "Pacific/Kiritimati", "UTC" }) {
        ScopedEnv tz("TZ", zone);
        tzset();
        EXPECT_EQ(MessageDateText(24 * 3600 + 3 * 3600), L"1970-01-02") << zone;
        EXPECT_EQ(MessageDateText(0), L"1970-01-01") << zone;
        EXPECT_EQ(MessageDateText(1796083199), L"2026-11-30") << zone;
    }
    tzset();
}

TEST(MessagePageTest, TimesTheCalendarCannotShowGiveNoDate)
{
    EXPECT_TRUE(MessageDateText(INT64_MAX).empty());
    EXPECT_TRUE(MessageDateText(INT64_MIN).empty());
    EXPECT_EQ(MessageDateText(-86400), L"1969-12-31");
}

TEST(MessagePageTest, TheListTextDropsLineFeedsOnly)
{
    EXPECT_EQ(MessageContentText(L"两个\n词"), L"两个词");
    EXPECT_EQ(MessageContentText(L"\na\n\nb\n"), L"ab");
    EXPECT_EQ(MessageContentText(L"a\r\nb\tc"), L"a\rb\tc");
}

TEST(MessagePageTest, CategoriesMapToTheirRequestTypes)
{
    EXPECT_EQ(MessageTypeOfCategory(0), kMessageTypeUser);
    EXPECT_EQ(MessageTypeOfCategory(1), kMessageTypeSystem);
    EXPECT_EQ(MessageTypeOfCategory(2), kMessageTypeActivity);
    NotifyMembers members;
    members.OfType(kMessageTypeUser).highestId = 7;
    EXPECT_EQ(members.categories[1].highestId, 7);
}

} // namespace
