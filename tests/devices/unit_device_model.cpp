// The device model without a window: page parsing, status texts, the view
// filters, the group set and the parameter texts of the device requests.
#include <gtest/gtest.h>

#include <string>

#include "devices/DeviceFilters.h"
#include "devices/DeviceGroups.h"
#include "devices/DeviceList.h"
#include "net/JsonRead.h"
#include "net/TextConvert.h"

namespace {

std::vector<DeviceRecord> Parse(const std::string& payload)
{
    std::vector<DeviceRecord> devices;
    json::Document doc = json::Parse(payload);
    ParseDevicePage(doc.get(), devices);
    return devices;
}

DeviceRecord Device(
    std::wstring id, bool online, std::int64_t timeLeft, std::wstring group = L"", std::wstring name = L"")
{
    DeviceRecord d;
    d.id = std::move(id);
    d.online = online;
    d.time_left = timeLeft;
    d.group_id = std::move(group);
    d.name = std::move(name);
    return d;
}

TEST(FormatTimeLeft, DaysHoursAndTheTwoEnds)
{
    EXPECT_EQ(FormatTimeLeft(3599 * 1000LL), L"即将过期");
    EXPECT_EQ(FormatTimeLeft(3600 * 1000LL), L"可用1时");
    EXPECT_EQ(FormatTimeLeft(86400 * 1000LL), L"可用1天0时");
    EXPECT_EQ(FormatTimeLeft(90000 * 1000LL), L"可用1天1时");
    EXPECT_EQ(FormatTimeLeft(0), L"已过期");
    EXPECT_EQ(FormatTimeLeft(-5000), L"已过期");
    EXPECT_EQ(FormatTimeLeft(INT64_MAX), L"可用106751991167天7时");
}

TEST(ParseDevicePage, ReadsEveryFieldInServiceOrder)
{
    auto devices = Parse(R"({"pages":1,"data":[
        {"id":"7","name":"pad","ip":"1.2.3.4","sn":"VM07","online_status":"1","time_left":"90000",
         "bind_plan_type":"A","group_id":"2"},
        {"id":"8","name":"","online_status":"0","time_left":"abc"},
        {"id":"9","online_status":true,"time_left":3600}]})");
    ASSERT_EQ(devices.size(), 3u);
    const DeviceRecord& a = devices[0];
    EXPECT_EQ(a.id, L"7");
    EXPECT_EQ(a.name, L"pad");
    EXPECT_EQ(a.ip, L"1.2.3.4");
    EXPECT_EQ(a.sn, L"VM07");
    EXPECT_TRUE(a.online);
    EXPECT_EQ(a.time_left, 90000);
    EXPECT_EQ(a.expiry_text, L"可用1天1时");
    EXPECT_EQ(a.bind_plan_type, L"A");
    EXPECT_EQ(a.group_id, L"2");
    EXPECT_EQ(a.tile_index, -1);
    // An empty name becomes the id; a text that is no number is expired.
    EXPECT_EQ(devices[1].name, L"ID:8");
    EXPECT_FALSE(devices[1].online);
    EXPECT_EQ(devices[1].time_left, 0);
    EXPECT_EQ(devices[1].expiry_text, L"已过期");
    // Values that are no strings leave the start values: no name, faulty,
    // expired with an empty expiry text.
    EXPECT_EQ(devices[2].name, L"");
    EXPECT_FALSE(devices[2].online);
    EXPECT_EQ(devices[2].time_left, 0);
    EXPECT_EQ(devices[2].expiry_text, L"");
}

TEST(ParseDevicePage, OnlineOnlyForTheTextOne)
{
    auto devices = Parse(R"({"data":[{"online_status":"1"},{"online_status":"0"},{"online_status":"true"},
        {"online_status":"01"},{}]})");
    ASSERT_EQ(devices.size(), 5u);
    EXPECT_TRUE(devices[0].online);
    for (std::size_t i = 1; i < devices.size(); ++i)
        EXPECT_FALSE(devices[i].online) << i;
}

TEST(ParseDevicePage, BadShapesAddNothingOrEmptyRecords)
{
    EXPECT_TRUE(Parse(R"({"data":{"id":"1"}})").empty());
    EXPECT_TRUE(Parse(R"({"data":"x"})").empty());
    EXPECT_TRUE(Parse(R"([1,2])").empty());
    EXPECT_TRUE(Parse("").empty());
    auto odd = Parse(R"({"data":[1,"x",null,[],{"id":5,"time_left":"99999999999999999999"}]})");
    ASSERT_EQ(odd.size(), 5u);
    EXPECT_EQ(odd[4].id, L"");
    // A huge count of seconds saturates instead of wrapping negative.
    EXPECT_EQ(odd[4].time_left, INT64_MAX);
    EXPECT_NE(odd[4].expiry_text, L"已过期");
}

TEST(ParseDevicePage, AHundredThousandEntries)
{
    std::string payload = R"({"pages":1,"data":[)";
    for (int i = 0; i < 100000; ++i)
        payload
            += (i ? "," : "") + std::string(R"({"id":")") + std::to_string(i) + R"(","online_status":"1"})";
    payload += "]}";
    auto devices = Parse(payload);
    ASSERT_EQ(devices.size(), 100000u);
    EXPECT_EQ(devices.back().id, L"99999");
}

TEST(DevicePageParams, TypeSizeAndIndex)
{
    EXPECT_EQ(DevicePageParams(1), L"&type=0&page_size=10&page_index=1");
    EXPECT_EQ(DevicePageParams(12), L"&type=0&page_size=10&page_index=12");
}

TEST(Views, OfflineAndExpiredShowUnderBothAndNeverInTheGroupView)
{
    const std::vector<DeviceGroupRecord> groups = { { "1", "a", L"" }, { "2", "b", L"" } };
    const std::vector<DeviceRecord> devices = {
        Device(L"1", false, 0, L"1"), // offline and expired
        Device(L"2", true, 100, L"1"), // usable
        Device(L"3", true, 100, L"2"), // usable, other group
    };
    const GroupView all = GroupViewDevices(devices, groups, 0);
    EXPECT_EQ(all.shown, (std::vector<int> { 1, 2 }));
    // Only the offline dot: an offline device is counted as faulty first.
    EXPECT_TRUE(all.anyOffline);
    EXPECT_FALSE(all.anyExpired);
    EXPECT_EQ(GroupViewDevices(devices, groups, 1).shown, (std::vector<int> { 1 }));
    EXPECT_EQ(GroupViewDevices(devices, groups, 2).shown, (std::vector<int> { 2 }));
    // An index past the list shows every group.
    EXPECT_EQ(GroupViewDevices(devices, groups, 9).shown, (std::vector<int> { 1, 2 }));
    EXPECT_EQ(ExpiredDevices(devices), (std::vector<int> { 0 }));
    EXPECT_EQ(OfflineDevices(devices), (std::vector<int> { 0 }));

    const std::vector<DeviceRecord> expiredOnline = { Device(L"4", true, -1) };
    const GroupView dots = GroupViewDevices(expiredOnline, groups, 0);
    EXPECT_TRUE(dots.shown.empty());
    EXPECT_FALSE(dots.anyOffline);
    EXPECT_TRUE(dots.anyExpired);
}

TEST(Views, SearchFoldsOnlyAsciiLetters)
{
    const std::vector<DeviceRecord> devices = {
        Device(L"1", true, 1, L"", L"xaby"), Device(L"2", true, 1, L"", L"XAB"),
        Device(L"3", true, 1, L"", L"ab"), Device(L"4", true, 1, L"", L"\xFF41"), // full-width small a
    };
    EXPECT_EQ(SearchDevices(devices, L"AB"), (std::vector<int> { 0, 1, 2 }));
    EXPECT_EQ(SearchDevices(devices, L"xA"), (std::vector<int> { 0, 1 }));
    EXPECT_TRUE(SearchDevices(devices, L"\xFF21").empty()); // full-width capital A
    EXPECT_EQ(SearchDevices(devices, L"").size(), 4u);
    EXPECT_EQ(AsciiLower(L"ÄBC"), L"Äbc");
}

TEST(Groups, IndexesNamesAndIds)
{
    EXPECT_EQ(ClampGroupIndex(3, 3), 3);
    EXPECT_EQ(ClampGroupIndex(4, 3), 0);
    EXPECT_EQ(ClampGroupIndex(-1, 3), 0);
    const std::vector<DeviceGroupRecord> groups = { { "1", "a", L"" }, { "2", "b", L"" }, { "1", "c", L"" } };
    EXPECT_EQ(GroupNameOf(groups, L"1"), L"c"); // the last of repeated ids
    EXPECT_EQ(GroupNameOf(groups, L"9"), L"未分组设备");
    EXPECT_EQ(GroupNameOf({}, L""), L"未分组设备");
}

TEST(Groups, ThePayloadOrderIsTheListOrder)
{
    json::Document doc
        = json::Parse("{\"3\":\"\xB9\xA4\xD7\xF7\",\"1\":\"\xBC\xD2\xCD\xA5\"}"); // 工作, 家庭 (936)
    auto groups = ParseGroups(doc.get());
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].id, "3");
    EXPECT_EQ(AnsiToWide(groups[0].name), L"工作");
    EXPECT_EQ(groups[1].id, "1");
    const std::string next = NextGroupId(groups);
    EXPECT_EQ(next, "2");
    EXPECT_EQ(AnsiToWide(NewGroupName(next)), L"新分组2");

    json::Document odd = json::Parse(R"({"a":null,"b":5,"c":"x"})");
    auto shapes = ParseGroups(odd.get());
    ASSERT_EQ(shapes.size(), 3u);
    EXPECT_EQ(shapes[0].id, "");
    EXPECT_EQ(shapes[1].id, "b");
    EXPECT_EQ(shapes[1].name, "");
    EXPECT_TRUE(ParseGroups(json::Parse("[1]").get()).empty());
}

TEST(Groups, NewIdsStayUniquePastAHundred)
{
    std::vector<DeviceGroupRecord> groups;
    for (int i = 1; i <= 100; ++i)
        groups.push_back({ std::to_string(i), "g", L"" });
    EXPECT_EQ(NextGroupId(groups), "101");
    groups.erase(groups.begin() + 41);
    EXPECT_EQ(NextGroupId(groups), "42");
}

TEST(Groups, TheSetTextIsAJsonObjectInListOrder)
{
    const std::vector<DeviceGroupRecord> groups
        = { { "1", WideToAnsi(L"家庭"), L"" }, { "2", WideToAnsi(L"工作"), L"" } };
    EXPECT_EQ(GroupSetParams(groups), L"&groups={\"1\":\"家庭\",\"2\":\"工作\"}");
    EXPECT_EQ(GroupSetParams({}), L"&groups={}");
    // Quotes and backslashes in a name keep the object whole.
    EXPECT_EQ(GroupSetParams({ { "3", "a\"b\\c", L"" } }), L"&groups={\"3\":\"a\\\"b\\\\c\"}");
    EXPECT_EQ(GroupNameTaken(groups, WideToAnsi(L"家庭")), true);
    EXPECT_EQ(GroupNameTaken(groups, "x"), false);
}

TEST(DeviceRequests, ParameterTexts)
{
    std::vector<DeviceRecord> devices
        = { Device(L"7", true, 1, L"2"), Device(L"8", true, 1, L"1"), Device(L"9", true, 1, L"2") };
    devices[0].selected = devices[2].selected = true;
    EXPECT_EQ(SelectedDevicesGroupParams(devices), L"&id=7,9,&name=&group_id=2");
    devices[0].selected = devices[2].selected = false;
    EXPECT_EQ(SelectedDevicesGroupParams(devices), L"&id=&name=&group_id=");
    EXPECT_EQ(DeviceGroupParams(devices[1]), L"&id=8&name=&group_id=1");
    devices[0].name = L"My pad";
    EXPECT_EQ(DeviceNameParams(devices[0]), L"&id=7&name=My pad&groups=My pad");
}

TEST(DeviceStatus, CaptionsOfUnusableTiles)
{
    EXPECT_EQ(UnusableCaption(Device(L"7", true, 0)), L"设备7到期，请充值");
    EXPECT_EQ(UnusableCaption(Device(L"7", false, 0)), L"设备7离线，请联系客服");
    EXPECT_EQ(UnusableCaption(Device(L"7", false, 50)), L"设备7离线，请联系客服");
    EXPECT_EQ(UnusableCaption(Device(L"7", true, 50)), L"");
}

} // namespace
