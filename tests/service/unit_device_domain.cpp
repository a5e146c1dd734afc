// The service's device domain without sockets: the seeds, the paging, the
// group set, moves and renames, captures and the test controls.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "service/Base64.h"
#include "service/Envelope.h"
#include "service/Server.h"
#include "service/devices/DeviceState.h"

namespace {

using namespace service;

class DeviceDomain : public ::testing::Test {
protected:
    void SetUp() override
    {
        HttpReply login = Post("/api/qtz/front_user_login", "username=demo&password=korvana123");
        ASSERT_FALSE(login.headers.empty());
        cookie = login.headers[0].second.substr(0, login.headers[0].second.find(';'));
    }
    HttpReply Post(const std::string& path, const std::string& body)
    {
        HttpRequest request;
        request.method = "POST";
        request.path = path;
        request.body = body;
        request.headers = { { "Content-Type", "application/x-www-form-urlencoded" } };
        if (!cookie.empty())
            request.headers.emplace_back("Cookie", cookie);
        return server.Handle(request);
    }
    // The envelope as JSON, the payload parsed when it succeeded.
    nlohmann::json Call(const std::string& path, const std::string& body)
    {
        nlohmann::json envelope = nlohmann::json::parse(Post(path, body).body);
        if (envelope["status"] == true)
            envelope["payload"] = nlohmann::json::parse(envelope["message"].get<std::string>());
        return envelope;
    }
    DeviceState& State() { return Devices(server.world()); }

    Server server { WorldKind::Demo };
    std::string cookie;
};

TEST_F(DeviceDomain, TheDemoWorldHasItsDevicesAndHelpersFindThem)
{
    UserDevices& demo = State().Of(42);
    ASSERT_EQ(demo.devices.size(), 25u);
    ASSERT_EQ(demo.groups.size(), 3u);
    int expired = 0, offline = 0, unnamed = 0;
    for (const DeviceEntry& d : demo.devices) {
        expired += d.time_left <= 0;
        offline += !d.online;
        unnamed += d.name.empty();
    }
    EXPECT_EQ(expired, 3);
    EXPECT_EQ(offline, 1);
    EXPECT_EQ(unnamed, 1);
    EXPECT_EQ(State().Of(43).devices.size(), 3u);
    ASSERT_NE(State().Find(42, "7"), nullptr);
    EXPECT_EQ(State().Find(42, "7")->sn, "VM0007");
    EXPECT_EQ(State().Find(43, "7"), nullptr);
    EXPECT_EQ(State().NextId(), "104");
    DeviceEntry& added = State().Add(43, DeviceEntry {});
    EXPECT_EQ(added.id, "104");
    EXPECT_EQ(State().Find(43, "104"), &added);
}

TEST_F(DeviceDomain, PagesOfTenWithEveryFieldAString)
{
    nlohmann::json page = Call("/api/qtz/front_device_list", "&type=0&page_size=10&page_index=3");
    ASSERT_EQ(page["status"], true);
    EXPECT_EQ(page["payload"]["pages"], 3);
    ASSERT_EQ(page["payload"]["data"].size(), 5u);
    const nlohmann::json& first = page["payload"]["data"][0];
    EXPECT_EQ(first["id"], "21");
    EXPECT_EQ(first["name"], "");
    for (const char* key :
        { "id", "name", "sn", "ip", "online_status", "time_left", "bind_plan_type", "group_id" })
        EXPECT_TRUE(first[key].is_string()) << key;
    EXPECT_TRUE(
        Call("/api/qtz/front_device_list", "&type=0&page_size=10&page_index=9")["payload"]["data"].empty());
    // Anything odd for the size or index reads as the defaults.
    EXPECT_EQ(
        Call("/api/qtz/front_device_list", "&page_size=x&page_index=-2")["payload"]["data"][0]["id"], "1");

    HttpRequest generate;
    generate.method = "POST";
    generate.path = "/__test/devices/generate";
    generate.query = "user=42&count=0";
    ASSERT_EQ(server.Handle(generate).status, 200);
    nlohmann::json empty = Call("/api/qtz/front_device_list", "&type=0&page_size=10&page_index=1");
    EXPECT_EQ(empty["payload"]["pages"], 0);
    EXPECT_TRUE(empty["payload"]["data"].empty());
}

TEST_F(DeviceDomain, TheGroupSetIsStoredInItsOrderAndBadSetsAreRefused)
{
    EXPECT_EQ(Post("/api/qtz/front_device_groups_get", "").body,
        SuccessEnvelope(R"({"1":"家庭","2":"工作","3":"游戏"})"));
    ASSERT_EQ(Call("/api/qtz/front_device_groups_set",
                  "&groups=%7B%223%22%3A%22x%22%2C%221%22%3A%22y%22%7D")["status"],
        true);
    const auto& groups = State().Of(42).groups;
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].id, "3");
    EXPECT_EQ(groups[1].name, "y");
    nlohmann::json bad = Call("/api/qtz/front_device_groups_set", "&groups=%7B%22a%22%3A");
    EXPECT_EQ(bad["status"], false);
    EXPECT_EQ(Call("/api/qtz/front_device_groups_set", "&groups=%5B1%5D")["status"], false);
    EXPECT_EQ(State().Of(42).groups.size(), 2u);
}

TEST_F(DeviceDomain, MovesAndRenamesTouchOnlyTheUsersListedDevices)
{
    EXPECT_EQ(Call("/api/qtz/front_device_set", "&id=7%2C9%2C&name=&group_id=3")["status"], true);
    EXPECT_EQ(State().Find(42, "7")->group_id, "3");
    EXPECT_EQ(State().Find(42, "9")->group_id, "3");
    EXPECT_EQ(State().Find(42, "7")->name, "云手机07");
    EXPECT_EQ(Call("/api/qtz/front_device_set", "&id=7&name=My%20pad&groups=My%20pad")["status"], true);
    EXPECT_EQ(State().Find(42, "7")->name, "My pad");
    EXPECT_EQ(State().Find(42, "7")->group_id, "3");
    // Another user's device or none at all: refused, nothing changed.
    EXPECT_EQ(Call("/api/qtz/front_device_set", "&id=7,101,&name=&group_id=1")["message"], "设备不存在");
    EXPECT_EQ(State().Find(42, "7")->group_id, "3");
    EXPECT_EQ(Call("/api/qtz/front_device_set", "&id=&name=&group_id=")["status"], false);
}

TEST_F(DeviceDomain, CapturesAnswerTheDeviceScreenUnlessItIsOffline)
{
    nlohmann::json shot = Call("/api/qtz/front_device_capture", "&id=7");
    ASSERT_EQ(shot["status"], true);
    auto jpeg = Base64Decode(shot["payload"]["base64"].get<std::string>());
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->substr(0, 3), "\xFF\xD8\xFF");
    EXPECT_EQ(Call("/api/qtz/front_device_capture", "&id=17")["status"], false);
    EXPECT_EQ(Call("/api/qtz/front_device_capture", "&id=nope")["message"], "设备不存在");

    HttpRequest screen;
    screen.method = "POST";
    screen.path = "/__test/devices/screen";
    screen.query = "user=42&id=7";
    screen.body = "raw";
    ASSERT_EQ(server.Handle(screen).status, 200);
    EXPECT_EQ(Call("/api/qtz/front_device_capture", "&id=7")["payload"]["base64"], Base64Encode("raw"));
    screen.query = "user=42&id=none";
    EXPECT_EQ(server.Handle(screen).status, 400);
}

} // namespace
