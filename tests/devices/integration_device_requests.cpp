// The device tasks against korvana-service: the bytes of every request, the
// messages they report, the state they leave, and how they take failures.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "account/Login.h"
#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/Messages.h"
#include "devices/DeviceGroups.h"
#include "devices/DeviceList.h"
#include "devices/Screenshot.h"
#include "net/CancelToken.h"
#include "net/PagedLoad.h"
#include "net/ServiceCall.h"
#include "net/TextConvert.h"
#include "service/Base64.h"
#include "tests/support/DesktopHooks.h"
#include "tests/support/RecordingTarget.h"
#include "tests/support/SignedInTest.h"

namespace {

using namespace korvana::test;

constexpr const char* kList = "/api/qtz/front_device_list";
constexpr const char* kCapture = "/api/qtz/front_device_capture";
constexpr const char* kSet = "/api/qtz/front_device_set";
constexpr const char* kGroupsSet = "/api/qtz/front_device_groups_set";

std::string Jpeg(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::green);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes.toStdString();
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class DeviceTaskTest : public SignedInTest {
protected:
    DeviceTaskTest()
        : SignedInTest(TextRule(), SignInAt::Test)
    {
    }

    void Login(const std::wstring& name = L"demo")
    {
        SignIn(name);
        control().ClearLog();
        Fresh();
    }
    static RecordingTarget::TextRule TextRule()
    {
        return [](UINT msg, WPARAM w) {
            return msg == msg::UM_DEVICES && w != msg::kDevicesProgress && w != msg::kScreenshotUpdated
                && w != msg::kScreenshotFailed;
        };
    }
    // The load's messages: progress values, then the end code and its text.
    RecordedMessage LoadEnd()
    {
        LoadDeviceList(*client, 0);
        auto messages = window->Messages();
        EXPECT_FALSE(messages.empty());
        return messages.empty() ? RecordedMessage {} : messages.back();
    }
    std::vector<LPARAM> Progress() const
    {
        std::vector<LPARAM> values;
        for (const RecordedMessage& m : window->Messages())
            if (m.wParam == msg::kDevicesProgress)
                values.push_back(m.lParam);
        return values;
    }
    DeviceRecord& Adopted(std::size_t i) { return client->devices.devices.at(i); }
    void RunOwned(void (*routine)(ClientManager&, std::wstring&), std::wstring params)
    {
        routine(*client, params);
    }
    void Fault(nlohmann::json setup) { control().InjectFault(setup); }

    MessageBoxRecorder boxes;
};

TEST_F(DeviceTaskTest, TwentyFiveDevicesComeInThreePagesWithProgress)
{
    Login();
    RecordedMessage end = LoadEnd();
    EXPECT_EQ(end.wParam, msg::kDevicesRead);
    EXPECT_TRUE(end.sent);
    EXPECT_EQ(Progress(), (std::vector<LPARAM> { 33, 66, 100 }));
    auto log = control().RequestsTo(kList);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].method, "POST");
    // Page 1 alone first; the other two overlap, so either may come first.
    EXPECT_EQ(log[0].body, "&type=0&page_size=10&page_index=1");
    EXPECT_EQ(std::multiset<std::string>({ log[1].body, log[2].body }),
        std::multiset<std::string>(
            { "&type=0&page_size=10&page_index=2", "&type=0&page_size=10&page_index=3" }));
    auto& loaded = client->devices.loaded;
    ASSERT_EQ(loaded.size(), 25u);
    for (std::size_t i = 0; i < loaded.size(); ++i)
        EXPECT_EQ(loaded[i].id, std::to_wstring(i + 1));
    EXPECT_EQ(loaded[1].name, L"云手机02"); // read in the code page
    EXPECT_EQ(loaded[20].name, L"ID:21");
    EXPECT_FALSE(loaded[16].online);
    EXPECT_EQ(loaded[4].expiry_text, L"已过期");
    EXPECT_EQ(loaded[8].expiry_text, L"即将过期");
    // The window's list changes only when it adopts the records.
    EXPECT_TRUE(client->devices.devices.empty());
    AdoptLoadedDevices(client->devices);
    EXPECT_EQ(client->devices.devices.size(), 25u);
    EXPECT_TRUE(client->devices.loaded.empty());
}

TEST_F(DeviceTaskTest, NoDevicesMeansOneRequestAndNoProgress)
{
    control().Post("/__test/devices/generate?user=42&count=0", "");
    Login();
    RecordedMessage end = LoadEnd();
    EXPECT_EQ(end.wParam, msg::kDevicesRead);
    EXPECT_TRUE(Progress().empty());
    EXPECT_EQ(control().RequestsTo(kList).size(), 1u);
    EXPECT_TRUE(client->devices.loaded.empty());
}

TEST_F(DeviceTaskTest, FailuresEndTheLoadWithTheirTexts)
{
    // Without a session: the marker.
    RecordedMessage expired = LoadEnd();
    EXPECT_EQ(expired.wParam, msg::kDevicesFailed);
    EXPECT_EQ(expired.text, L"-1000");

    Login();
    Fault({ { "path", kList }, { "drop", true }, { "times", 1 } });
    EXPECT_EQ(LoadEnd().text, L"curl 错误：Perform(...)");
    Fault({ { "path", kList }, { "status", 500 }, { "times", 1 } });
    EXPECT_EQ(LoadEnd().text, L"curl 错误：Perform(...)");
    // Answers that say nothing get a text rather than an empty box.
    Fault({ { "path", kList }, { "kind", "not_json" }, { "times", 1 } });
    RecordedMessage notJson = LoadEnd();
    EXPECT_EQ(notJson.wParam, msg::kDevicesFailed);
    EXPECT_EQ(notJson.text, kRequestFailedText);
    Fault({ { "path", kList }, { "kind", "wrong_types" }, { "times", 1 } });
    EXPECT_EQ(LoadEnd().text, kRequestFailedText);
    Fault({ { "path", kList }, { "truncate", true }, { "times", 1 } });
    EXPECT_EQ(LoadEnd().wParam, msg::kDevicesFailed);
    EXPECT_TRUE(client->devices.loaded.empty());
}

TEST_F(DeviceTaskTest, AFailureOnPageTwoKeepsPageOne)
{
    control().Post("/__test/devices/fail_page?page=2&text=busy", "");
    Login();
    RecordedMessage end = LoadEnd();
    EXPECT_EQ(end.wParam, msg::kDevicesFailed);
    EXPECT_EQ(end.text, L"busy");
    EXPECT_EQ(Progress(), (std::vector<LPARAM> { 33 }));
    EXPECT_EQ(client->devices.loaded.size(), 10u);
}

TEST_F(DeviceTaskTest, PayloadsWithoutPagesOrDataEndOrGoOn)
{
    Login();
    Fault({ { "path", kList }, { "body", R"({"status":true,"message":"{\"data\":[{\"id\":\"1\"}]}"})" } });
    RecordedMessage end = LoadEnd();
    EXPECT_EQ(end.wParam, msg::kDevicesRead);
    EXPECT_EQ(control().RequestsTo(kList).size(), 1u);
    EXPECT_EQ(client->devices.loaded.size(), 1u);
    control().ClearLog();
    Fault(
        { { "path", kList }, { "body", R"({"status":true,"message":"{\"pages\":2,\"data\":\"none\"}"})" } });
    EXPECT_EQ(LoadEnd().wParam, msg::kDevicesRead);
    EXPECT_EQ(control().RequestsTo(kList).size(), 2u);
    EXPECT_TRUE(client->devices.loaded.empty());
    // A total no list can have, or of the wrong sign, is only a count.
    for (const char* total : { "9223372036854775807", "-3", "\\\"many\\\"" }) {
        Fault({ { "path", kList },
            { "body",
                std::string(R"({"status":true,"message":"{\"pages\":1,\"total\":)") + total
                    + R"(,\"data\":[{\"id\":\"1\"}]}"})" } });
        EXPECT_EQ(LoadEnd().wParam, msg::kDevicesRead) << total;
        EXPECT_EQ(client->devices.loaded.size(), 1u) << total;
    }
}

// The page bodies of the logged list requests, page 1 checked to be first.
std::multiset<std::string> PageBodies(const std::vector<LoggedRequest>& log)
{
    std::multiset<std::string> bodies;
    for (const LoggedRequest& r : log)
        bodies.insert(r.body);
    EXPECT_TRUE(!log.empty() && log[0].body == "&type=0&page_size=10&page_index=1");
    return bodies;
}

std::multiset<std::string> ExpectedBodies(int pages)
{
    std::multiset<std::string> bodies;
    for (int page = 1; page <= pages; ++page)
        bodies.insert("&type=0&page_size=10&page_index=" + std::to_string(page));
    return bodies;
}

TEST_F(DeviceTaskTest, AThousandDevicesAtThirtyMillisecondsComeWholeAndInPageOrder)
{
    control().Post("/__test/devices/generate?user=42&count=1000", "");
    Login();
    control().SetLatency(30);
    RecordedMessage end = LoadEnd();
    EXPECT_EQ(end.wParam, msg::kDevicesRead);
    const std::vector<DeviceRecord>& loaded = client->devices.loaded;
    ASSERT_EQ(loaded.size(), 1000u);
    for (std::size_t i = 0; i < loaded.size(); ++i)
        ASSERT_EQ(loaded[i].id, std::to_wstring(i + 1)) << "at " << i;
    // Every page once, page 1 first; the progress rises by whole percents.
    EXPECT_EQ(PageBodies(control().RequestsTo(kList)), ExpectedBodies(100));
    std::vector<LPARAM> expected;
    for (LPARAM p = 1; p <= 100; ++p)
        expected.push_back(p);
    EXPECT_EQ(Progress(), expected);
}

TEST_F(DeviceTaskTest, AFailureOnPageSevenOfAHundredEndsTheLoadWithItsText)
{
    control().Post("/__test/devices/generate?user=42&count=1000", "");
    control().Post("/__test/devices/fail_page?page=7&text=%E6%9C%8D%E5%8A%A1%E5%BF%99", ""); // 服务忙
    Login();
    control().SetLatency(30);
    RecordedMessage end = LoadEnd();
    EXPECT_EQ(end.wParam, msg::kDevicesFailed);
    EXPECT_EQ(end.text, L"服务忙");
    // Pages 1-6 stay; nothing of pages 8-100, even those already answered.
    const std::vector<DeviceRecord>& loaded = client->devices.loaded;
    ASSERT_EQ(loaded.size(), 60u);
    EXPECT_EQ(loaded.back().id, L"60");
    EXPECT_EQ(Progress(), (std::vector<LPARAM> { 1, 2, 3, 4, 5, 6 }));
    // Pages past 7 may have been on their way, but no more than the load
    // keeps in flight.
    EXPECT_LE(control().RequestsTo(kList).size(), 7u + kPagedLoadConcurrency);
}

TEST_F(DeviceTaskTest, PageCountsThatAreTooLargeNegativeOrNoNumberEndCleanly)
{
    Login();
    auto page = [](const std::string& pages) {
        return std::string(R"({"status":true,"message":"{\"pages\":)") + pages
            + R"(,\"data\":[{\"id\":\"1\"}]}"})";
    };
    // (A number beyond any int, e.g. 1.5e300, counts as huge too.)
    Fault({ { "path", kList }, { "body", page("100000") } });
    RecordedMessage huge = LoadEnd();
    EXPECT_EQ(huge.wParam, msg::kDevicesRead);
    // At most the cap, each page once; the bar still reaches 100.
    EXPECT_EQ(PageBodies(control().RequestsTo(kList)), ExpectedBodies(kMaxDevicePages));
    EXPECT_EQ(client->devices.loaded.size(), static_cast<std::size_t>(kMaxDevicePages));
    ASSERT_FALSE(Progress().empty());
    EXPECT_EQ(Progress().back(), 100);
    for (const char* bad : { "-5", "\\\"many\\\"", "null" }) {
        control().ClearLog();
        Fresh();
        Fault({ { "path", kList }, { "body", page(bad) } });
        RecordedMessage end = LoadEnd();
        EXPECT_EQ(end.wParam, msg::kDevicesRead) << bad;
        EXPECT_EQ(control().RequestsTo(kList).size(), 1u) << bad;
        EXPECT_EQ(client->devices.loaded.size(), 1u) << bad;
    }
}

TEST_F(DeviceTaskTest, APageThatNeverAnswersEndsWithTheCancellationAndLeavesNothingInFlight)
{
    control().Post("/__test/devices/generate?user=42&count=1000", "");
    Login();
    Fault({ { "path", kList }, { "drop", true }, { "times", 1 } });
    EXPECT_EQ(LoadEnd().text, L"curl 错误：Perform(...)");
    control().ClearLog();
    Fresh();

    // Page 1 held for 30 s: a sign-out (the task's token) ends the load.
    Fault({ { "path", kList }, { "delay_ms", 30000 }, { "times", 1 } });
    CancelToken session;
    std::thread task([&] {
        ScopedTaskToken token(session);
        LoadDeviceList(*client, 0);
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (control().RequestsTo(kList).empty() && std::chrono::steady_clock::now() < deadline) { }
    session.Cancel();
    task.join();
    auto messages = window->Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().wParam, msg::kDevicesFailed);
    EXPECT_EQ(messages.back().text, L"");
    // RunPagedLoad returned, so nothing of the load is in flight: the log
    // holds page 1 only.
    EXPECT_EQ(control().RequestsTo(kList).size(), 1u);
    EXPECT_TRUE(client->devices.loaded.empty());
}

// Page 7 of 100 held for 30 s: the other pages are still asked for and
// answered (at most the load's concurrency in flight, so a held page costs
// one slot), the bar stops at 6, and the sign-out's token ends the load at
// once with no device of page 7 or later and nothing left in flight.
TEST_F(DeviceTaskTest, AStalledMiddlePageEndsAtTheSignOutWithNothingInFlight)
{
    control().Post("/__test/devices/generate?user=42&count=1000", "");
    Login();
    control().SetLatency(30);
    Fault({ { "path", kList }, { "delay_ms", 30000 }, { "for_body", "&type=0&page_size=10&page_index=7" } });
    CancelToken session;
    const auto start = std::chrono::steady_clock::now();
    std::thread task([&] {
        ScopedTaskToken token(session);
        LoadDeviceList(*client, 0);
    });
    const auto deadline = start + std::chrono::seconds(20);
    while (control().RequestsTo(kList).size() < 100 && std::chrono::steady_clock::now() < deadline) { }
    EXPECT_EQ(PageBodies(control().RequestsTo(kList)), ExpectedBodies(100)) << "every page once, page 7 held";
    session.Cancel();
    task.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20))
        << "the held page was waited for";
    auto messages = window->Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().wParam, msg::kDevicesFailed);
    for (const DeviceRecord& device : client->devices.loaded)
        EXPECT_LE(std::stoi(device.id), 60) << "a device of page 7 or later";
    ASSERT_FALSE(Progress().empty());
    EXPECT_EQ(Progress().back(), 6);
    // The load has returned: the held page was aborted, nothing more is
    // asked for.
    EXPECT_EQ(control().RequestsTo(kList).size(), 100u);
}

TEST_F(DeviceTaskTest, GroupsComeInTheServiceOrderAndTheLoadReportsAlways)
{
    Login();
    LoadGroups(*client, 0);
    auto messages = window->Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].wParam, msg::kGroupsLoaded);
    auto& groups = client->devices.loadedGroups;
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].id, "1");
    EXPECT_EQ(AnsiToWide(groups[2].name), L"游戏");
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_groups_get")[0].body, "");

    Fault({ { "path", "/api/qtz/front_device_groups_get" }, { "kind", "not_json" } });
    LoadGroups(*client, 0);
    EXPECT_EQ(window->Messages().back().wParam, msg::kGroupsLoaded);
    EXPECT_TRUE(groups.empty());
}

TEST_F(DeviceTaskTest, GroupSavesReachTheServiceInTheOrderTheyWereMade)
{
    Login();
    std::vector<DeviceGroupRecord> groups
        = { { "3", WideToAnsi(L"工作"), L"" }, { "1", WideToAnsi(L"家庭"), L"" } };
    // A slow first save: the later ones must still come after it.
    Fault({ { "path", kGroupsSet }, { "delay_ms", 300 }, { "times", 1 } });
    ASSERT_TRUE(QueueGroupSave(client, GroupSetParams(groups)));
    groups.push_back({ NextGroupId(groups), NewGroupName(NextGroupId(groups)), L"" });
    ASSERT_TRUE(QueueGroupSave(client, GroupSetParams(groups)));
    groups.erase(groups.begin());
    ASSERT_TRUE(QueueGroupSave(client, GroupSetParams(groups)));
    ASSERT_TRUE(window->WaitForCount(3));
    for (const RecordedMessage& m : window->Messages())
        EXPECT_EQ(m.wParam, msg::kGroupsSaved);
    auto log = control().RequestsTo(kGroupsSet);
    ASSERT_EQ(log.size(), 3u);
    // {"3":"工作","1":"家庭"} in UTF-8, form-encoded.
    EXPECT_EQ(
        log[0].body, "&groups=%7B%223%22%3A%22%E5%B7%A5%E4%BD%9C%22%2C%221%22%3A%22%E5%AE%B6%E5%BA%AD%22%7D");
    EXPECT_NE(
        log[1].body.find("%222%22%3A%22%E6%96%B0%E5%88%86%E7%BB%842%22"), std::string::npos); // "2":"新分组2"
    auto state = nlohmann::json::parse(control().Get("/__test/devices/state?user=42").body);
    ASSERT_EQ(state["groups"].size(), 2u);
    EXPECT_EQ(state["groups"][0]["id"], "1");
    EXPECT_EQ(state["groups"][1]["name"], "新分组2");
}

TEST_F(DeviceTaskTest, AQuoteInAGroupNameStillSavesTheWholeSet)
{
    Login();
    std::vector<DeviceGroupRecord> groups = { { "1", "say \"hi\"", L"" }, { "2", "b\\", L"" } };
    ASSERT_TRUE(QueueGroupSave(client, GroupSetParams(groups)));
    ASSERT_TRUE(window->WaitForCount(1));
    EXPECT_EQ(window->Messages()[0].wParam, msg::kGroupsSaved);
    auto state = nlohmann::json::parse(control().Get("/__test/devices/state?user=42").body);
    ASSERT_EQ(state["groups"].size(), 2u);
    EXPECT_EQ(state["groups"][0]["name"], "say \"hi\"");
    EXPECT_EQ(state["groups"][1]["name"], "b\\");
}

TEST_F(DeviceTaskTest, DeviceMovesAndRenamesSendTheirTextsAndShowTheirBoxes)
{
    Login();
    std::vector<DeviceRecord> devices(3);
    devices[0].id = L"7";
    devices[1].id = L"8";
    devices[2].id = L"9";
    devices[0].selected = devices[2].selected = true;
    devices[0].group_id = devices[2].group_id = L"2";
    RunOwned(SaveSelectedDevicesGroup, SelectedDevicesGroupParams(devices));
    devices[1].group_id = L"1";
    RunOwned(SaveDeviceGroup, DeviceGroupParams(devices[1]));
    devices[0].name = L"My pad";
    RunOwned(SaveDeviceName, DeviceNameParams(devices[0]));
    devices[2].name = L"我的 手机";
    RunOwned(SaveDeviceName, DeviceNameParams(devices[2]));

    auto log = control().RequestsTo(kSet);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].body, "&id=7%2C9%2C&name=&group_id=2");
    EXPECT_EQ(log[1].body, "&id=8&name=&group_id=1");
    EXPECT_EQ(log[2].body, "&id=7&name=My%20pad&groups=My%20pad");
    // Typed names go as UTF-8.
    EXPECT_EQ(log[3].body,
        "&id=9&name=%E6%88%91%E7%9A%84%20%E6%89%8B%E6%9C%BA&groups=%E6%88%91%E7%9A%84%20%E6%89%8B%E6%9C%BA");
    auto boxList = boxes.Boxes();
    ASSERT_EQ(boxList.size(), 4u);
    EXPECT_EQ(boxList[0].text, L"保存设备名称成功！");
    EXPECT_EQ(boxList[1].text, L"保存设备分组成功！");
    EXPECT_EQ(boxList[2].caption, L"提示");
    auto state = nlohmann::json::parse(control().Get("/__test/devices/state?user=42").body);
    EXPECT_EQ(state["devices"][6]["name"], "My pad");
    EXPECT_EQ(state["devices"][8]["group_id"], "2");
    EXPECT_EQ(state["devices"][8]["name"], "我的 手机");
    EXPECT_EQ(state["devices"][7]["group_id"], "1");
}

TEST_F(DeviceTaskTest, DeviceRequestFailuresShowTheirTextsAndTransferFailuresNothing)
{
    Login();
    DeviceRecord unknown;
    unknown.id = L"999";
    RunOwned(SaveDeviceGroup, DeviceGroupParams(unknown));
    RunOwned(SaveDeviceName, DeviceNameParams(unknown));
    // Nothing selected: still sent, and refused.
    RunOwned(SaveSelectedDevicesGroup, SelectedDevicesGroupParams({}));
    EXPECT_EQ(control().RequestsTo(kSet).back().body, "&id=&name=&group_id=");
    Fault({ { "path", kSet }, { "drop", true } });
    RunOwned(SaveDeviceName, DeviceNameParams(unknown));
    auto boxList = boxes.Boxes();
    ASSERT_EQ(boxList.size(), 3u);
    EXPECT_EQ(boxList[0].text, L"设备不存在");
    EXPECT_EQ(boxList[1].text, L"保存设备名称失败！请刷新重试。");
    EXPECT_EQ(boxList[2].text, L"保存设备名称失败！请刷新重试。");
}

TEST_F(DeviceTaskTest, AScreenshotIsStoredAndMarksTheDeviceOnline)
{
    Login();
    LoadDeviceList(*client, 0);
    AdoptLoadedDevices(client->devices);
    const std::string file = ScreenshotFilePathNarrow(L"7");
    EXPECT_EQ(file, GetLocalPaths().imageCache.narrow + "7.jpeg");
    client->devices.devices[6].online = false;
    EXPECT_TRUE(FetchScreenshot(*client, 6));
    EXPECT_TRUE(client->devices.devices[6].online);
    EXPECT_EQ(control().RequestsTo(kCapture)[0].body, "&id=7");
    QImage stored(QString::fromStdString(file));
    EXPECT_EQ(stored.size(), QSize(160, 240));

    // The offline device is refused and marked faulty; nothing is written.
    client->devices.devices[16].online = true;
    EXPECT_FALSE(FetchScreenshot(*client, 16));
    EXPECT_FALSE(client->devices.devices[16].online);
    EXPECT_FALSE(std::filesystem::exists(ScreenshotFilePathNarrow(L"17")));

    // A transfer failure leaves the record alone; an index past the list is refused.
    Fault({ { "path", kCapture }, { "drop", true }, { "times", 1 } });
    EXPECT_FALSE(FetchScreenshot(*client, 6));
    EXPECT_TRUE(client->devices.devices[6].online);
    EXPECT_FALSE(FetchScreenshot(*client, 25));
    EXPECT_FALSE(FetchScreenshot(*client, -1));

    // The button's task posts its result with the index.
    UpdateScreenshot(*client, 6);
    auto messages = window->Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().wParam, msg::kScreenshotUpdated);
    EXPECT_EQ(messages.back().lParam, 6);
    EXPECT_FALSE(messages.back().sent);
}

TEST_F(DeviceTaskTest, ScreenshotAnswersWithoutAPictureKeepTheOldOne)
{
    Login();
    LoadDeviceList(*client, 0);
    AdoptLoadedDevices(client->devices);
    ASSERT_TRUE(FetchScreenshot(*client, 6));
    const std::string file = ScreenshotFilePathNarrow(L"7");
    const std::string before = ReadFile(file);

    Fault({ { "path", kCapture }, { "body", R"({"status":true,"message":"{}"})" }, { "times", 1 } });
    client->devices.devices[6].online = false;
    EXPECT_TRUE(FetchScreenshot(*client, 6));
    EXPECT_TRUE(client->devices.devices[6].online);
    Fault({ { "path", kCapture },
        { "body", R"({"status":true,"message":"{\"base64\":\"bm90IGFuIGltYWdl\"}"})" }, { "times", 1 } });
    EXPECT_TRUE(FetchScreenshot(*client, 6));
    // 30 MB of Base64 that is no picture.
    const std::string huge = "{\"status\":true,\"message\":\"{\\\"base64\\\":\\\""
        + std::string(30 * 1024 * 1024, 'Q') + "\\\"}\"}";
    Fault({ { "path", kCapture }, { "body", huge }, { "times", 1 } });
    EXPECT_TRUE(FetchScreenshot(*client, 6));
    EXPECT_EQ(ReadFile(file), before);
    // Success without any payload counts as a failure.
    Fault({ { "path", kCapture }, { "body", R"({"status":true,"message":"not json"})" }, { "times", 1 } });
    EXPECT_FALSE(FetchScreenshot(*client, 6));
}

TEST_F(DeviceTaskTest, AnIdThatIsNoFileNameNeverLeavesTheCacheFolder)
{
    Login();
    const std::string jpeg = Jpeg(1080, 1920);
    Fault({ { "path", kCapture },
        { "body",
            "{\"status\":true,\"message\":\"{\\\"base64\\\":\\\"" + service::Base64Encode(jpeg)
                + "\\\"}\"}" } });
    DeviceRecord evil;
    evil.id = L"../../escaped";
    client->devices.devices = { evil };
    EXPECT_TRUE(FetchScreenshot(*client, 0));
    EXPECT_EQ(control().RequestsTo(kCapture)[0].body, "&id=..%2F..%2Fescaped");
    const std::filesystem::path cache = GetLocalPaths().imageCache.narrow;
    EXPECT_FALSE(std::filesystem::exists(cache / ".." / ".." / "escaped.jpeg"));
    EXPECT_FALSE(std::filesystem::exists(cache / ".." / "escaped.jpeg"));
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(cache))
        files.push_back(entry.path().filename());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].string().front(), '@');
}

} // namespace
