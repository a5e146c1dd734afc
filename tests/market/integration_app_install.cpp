// Marking apps, the install request, the app upload and the delete of the
// user's own apps against korvana-service: the bytes sent and the messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "account/Login.h"
#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/Messages.h"
#include "market/AppInstall.h"
#include "market/AppQueries.h"
#include "market/Catalogue.h"
#include "market/CatalogueSync.h"
#include "tests/support/RecordingTarget.h"
#include "tests/support/SignedInTest.h"

namespace {

using namespace korvana::test;
using nlohmann::json;

bool CarriesText(UINT msg, WPARAM code)
{
    return msg == msg::UM_APP_INSTALL || msg == msg::UM_LOGIN
        || (msg == msg::UM_APP_UPLOAD && code == msg::kAppUploadFailed)
        || (msg == msg::UM_APPS && code == msg::kAppListEmpty);
}

class AppInstallTest : public SignedInTest {
protected:
    AppInstallTest()
        : SignedInTest(CarriesText, SignInAt::Test)
    {
    }
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(SignedInTest::SetUp());
        ASSERT_EQ(OpenCatalogue(*client), 0);
        client->RefreshStamp = 1700000000;
        client->user.userId = "42";
        ASSERT_NO_FATAL_FAILURE(SignIn());
        SyncAppList(*client);
        SyncCategories(*client);
        control().ClearLog();
        m_skip = window->Messages().size();
    }
    std::vector<RecordedMessage> Messages() const
    {
        auto all = window->Messages();
        return { all.begin() + static_cast<std::ptrdiff_t>(m_skip), all.end() };
    }
    std::int64_t Marked()
    {
        auto statement = client->catalogue.database.Prepare("select count(*) from t_game where bproxyed = 1");
        return statement && statement->NextRow() ? statement->ColumnInt64(0) : -1;
    }
    void SelectDevices(std::initializer_list<const wchar_t*> ids)
    {
        for (const wchar_t* id : ids) {
            DeviceRecord device;
            device.id = id;
            device.selected = true;
            client->devices.devices.push_back(device);
        }
    }

    std::size_t m_skip = 0;
};

TEST_F(AppInstallTest, TickingMarksTheRowReloadsTheSelectionAndRedrawsTheView)
{
    RunAppQuery(*client, IssueAppQuery(client->catalogue, HotAppsQuery()));
    ASSERT_FALSE(client->catalogue.AppList.empty());
    const std::int32_t id = client->catalogue.AppList[0].id;
    m_skip = window->Messages().size();
    SelectApp(*client, AppIdArgument(id));
    EXPECT_EQ(Marked(), 1);
    ASSERT_EQ(client->catalogue.SelectedApps.size(), 1u);
    EXPECT_EQ(client->catalogue.SelectedApps[0].id, id);
    EXPECT_TRUE(client->catalogue.SelectedApps[0].selected);
    EXPECT_TRUE(client->catalogue.SelectedApps[0].version.empty());
    EXPECT_TRUE(client->catalogue.AppList[0].selected);
    auto messages = Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].msg, msg::UM_LOCAL_APPS);
    EXPECT_EQ(messages[0].wParam, msg::kLocalAppsReloaded);
    EXPECT_EQ(messages[1].wParam, msg::kAppListReady);

    SelectApp(*client, AppIdArgument(client->catalogue.AppList[1].id));
    EXPECT_EQ(Marked(), 2);
    UnselectApp(*client, AppIdArgument(id));
    EXPECT_EQ(Marked(), 1);
    UnselectApp(*client, AppIdArgument(kAllApps));
    EXPECT_EQ(Marked(), 0);
    EXPECT_TRUE(client->catalogue.SelectedApps.empty());
}

TEST_F(AppInstallTest, TheInstallBodyForTwoDevicesAndAppsSevenAndNine)
{
    SelectDevices({ L"3", L"11" });
    std::vector<AppRecord> apps(2);
    apps[0].id = 7;
    apps[1].id = 9;
    // The task record owns the argument; called directly, the test does.
    InstallRequest argument { InstallBody(client->devices.devices, apps) };
    InstallSelectedApps(*client, argument);
    auto log = control().RequestsTo("/api/qtz/front_app_install");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].method, "POST");
    EXPECT_EQ(log[0].body, "id=3%2C11%2C&app_id=7%2C9%2C");
    auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].msg, msg::UM_APP_INSTALL);
    EXPECT_EQ(messages[0].wParam, msg::kInstallStarted);
    json installs = json::parse(control().Get("/__test/apps/installs").body);
    ASSERT_EQ(installs["installs"].size(), 1u);
    EXPECT_EQ(installs["installs"][0]["devices"], json({ "3", "11" }));
}

TEST_F(AppInstallTest, AnInstallFailureCarriesTheServiceTextOrTheTransportText)
{
    SelectDevices({ L"999" });
    std::vector<AppRecord> apps(1);
    apps[0].id = 7;
    auto run = [&] {
        auto* request = new InstallRequest { InstallBody(client->devices.devices, apps) };
        InstallSelectedApps(*client, *request);
        delete request;
        return Messages().back();
    };
    RecordedMessage refused = run();
    EXPECT_EQ(refused.wParam, msg::kInstallFailed);
    EXPECT_EQ(refused.text, L"设备不存在");
    control().InjectFault({ { "path", "/api/qtz/front_app_install" }, { "drop", true } });
    EXPECT_EQ(run().text, L"请求错误，请检查网络连接或尝试重启软件。");
    control().ClearFaults();
    control().Reset();
    EXPECT_EQ(run().text, L"-1000");
}

TEST_F(AppInstallTest, AnUploadedAppAppearsAmongTheUsersAppsAndProgressIsReported)
{
    SelectDevices({ L"2" });
    const std::string file = (folder() / "游戏.apk").string();
    std::ofstream(file, std::ios::binary) << std::string(300000, 'a');
    auto* upload = new AppUpload { file, SelectedDeviceIds(client->devices.devices) };
    UploadLocalApp(*client, *upload);
    delete upload;
    auto messages = Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().wParam, msg::kAppUploadDone);
    bool hundred = false;
    for (const RecordedMessage& m : messages) {
        if (m.wParam == msg::kAppUploadProgress) {
            EXPECT_GE(m.lParam, 0);
            EXPECT_LE(m.lParam, 100);
            hundred = hundred || m.lParam == 100;
        }
    }
    EXPECT_TRUE(hundred);
    auto log = control().RequestsTo("/api/qtz/front_device_file_upload");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].body.find("name=\"is_app\"\r\n\r\n1\r\n"), std::string::npos);
    EXPECT_NE(log[0].body.find("name=\"id\"\r\n\r\n2,\r\n"), std::string::npos);
    EXPECT_NE(log[0].body.find("name=\"filename\"\r\n\r\n游戏.apk\r\n"), std::string::npos);

    SyncAppList(*client);
    LoadMyApps(*client, client->user.userId);
    bool found = false;
    for (const AppRecord& app : client->catalogue.AppList)
        found = found || app.name == L"游戏";
    EXPECT_TRUE(found);
}

TEST_F(AppInstallTest, ARefusedUploadCarriesTheServiceText)
{
    SelectDevices({ L"404" });
    const std::string file = (folder() / "a.apk").string();
    std::ofstream(file) << "x";
    auto* upload = new AppUpload { file, SelectedDeviceIds(client->devices.devices) };
    UploadLocalApp(*client, *upload);
    EXPECT_EQ(Messages().back().wParam, msg::kAppUploadFailed);
    EXPECT_EQ(Messages().back().text, L"设备不存在");
    control().InjectFault({ { "path", "/api/qtz/front_device_file_upload" }, { "status", 500 } });
    UploadLocalApp(*client, *upload);
    EXPECT_EQ(Messages().back().text, L"请求错误，请检查网络连接或尝试重启软件。:500");
    delete upload;
}

TEST_F(AppInstallTest, DeletingOwnAppsAsksTheServiceThenDropsTheRows)
{
    LoadMyApps(*client, client->user.userId);
    ASSERT_EQ(client->catalogue.AppList.size(), 2u);
    auto* deletion = new AppDeletion { { 20001, 20002 }, client->user.userId };
    DeleteLocalApps(*client, *deletion);
    auto log = control().RequestsTo("/api/qtz/front_app_del");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].body, "id=20001%2C20002%2C");
    EXPECT_TRUE(client->catalogue.AppList.empty());
    // Refused (nothing left to delete): nothing changes locally.
    ASSERT_TRUE(client->catalogue.database.Execute(
        "REPLACE INTO t_game (id, sort, sourcetype, source, gamename, installname, type, timestamp) values"
        "(20001,0,2,42,'back','1',1301,1)"));
    const std::size_t before = Messages().size();
    DeleteLocalApps(*client, *deletion);
    EXPECT_EQ(Messages().size(), before);
    LoadMyApps(*client, client->user.userId);
    EXPECT_EQ(client->catalogue.AppList.size(), 1u);
    // Nothing ticked: no request at all.
    auto* none = new AppDeletion {};
    DeleteLocalApps(*client, *none);
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_app_del").size(), 2u);
    delete none;
    delete deletion;
}

// A user-information load may rewrite owner.user while a deletion runs: the
// reload after it lists the apps of the user the window started it for.
TEST_F(AppInstallTest, TheReloadAfterADeleteListsTheAppsOfTheUserItWasStartedFor)
{
    const std::string user = client->user.userId;
    LoadMyApps(*client, user);
    ASSERT_EQ(client->catalogue.AppList.size(), 2u);
    client->user.userId = "7";
    AppDeletion deletion { { 20001 }, user };
    DeleteLocalApps(*client, deletion);
    ASSERT_EQ(control().RequestsTo("/api/qtz/front_app_del").size(), 1u);
    ASSERT_EQ(client->catalogue.AppList.size(), 1u);
    EXPECT_EQ(client->catalogue.AppList[0].id, 20002);
}

} // namespace
