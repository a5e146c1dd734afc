// The control buttons of the device page in the real window: the play box
// with a running player, reboot and reset with their busy page, uploads with
// their progress, synchronised control and closing everything at sign-out.
#include <csignal>
#include <fstream>

#include "app/ClientManager.h"
#include "app/actions/DeviceActions.h"
#include "app/window/CMainWnd.h"
#include "devices/DevicePage.h"
#include "devices/control/ControlTasks.h"
#include "devices/control/DeviceControlPage.h"
#include "devices/control/ScreenshotSeam.h"
#include "devices/control/UploadRules.h"
#include "net/TextConvert.h"
#include "platform/ExternalProgram.h"
#include "platform/FileSystem.h"
#include "platform/SharedSection.h"
#include "tests/support/MainWindowTest.h"
#include "tests/support/OwnSyncSection.h"
#include "tests/support/StderrCapture.h"
#include "ui/UICheckBox.h"
#include "ui/UIDialogBuilder.h"
#include "ui/UIManager.h"
#include "ui/UIProgress.h"
#include "ui/UITabLayout.h"
#include "ui/UITileLayout.h"

namespace {

using namespace korvana::test;
using namespace DuiLib;

class DeviceControlUiTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        unsetenv("DISPLAY");
        const std::string self = RunningProgramPath();
        SetExternalProgramFolderForTesting(self.substr(0, self.rfind('/')) + "/../app/window");
        SetScreenshotFetcherForTesting([this](ClientManager&, int) {
            ++screenshots;
            return answering.load();
        });
        SetRebootPollIntervalForTesting(std::chrono::milliseconds(30));
        StartWindow();
        // The device list loads after the login; its tiles are replaced
        // below by the devices of each test once it has ended.
        auto* page = dynamic_cast<DevicePage*>(&window().Devices());
        ASSERT_NE(page, nullptr);
        const int before = page->FinishedLoads();
        SignInAs(L"demo", L"korvana123");
        ASSERT_TRUE(WaitFor([&] { return page->FinishedLoads() > before && !IsWaiting(); }, 15000));
        ASSERT_TRUE(WaitForTasks(15000));
        ASSERT_EQ(MainWindowPage(), 1) << "the sign-in did not hold";
        EXPECT_EQ(boxes().Count(), 0u);
        boxes().Clear();
        client = window().ClientRef();
        ASSERT_NE(client, nullptr);
        client->user.userId = "42";
    }
    void TearDown() override
    {
        if (client)
            CloseAllPlayersOf(*client);
        WaitForTasks(20000);
        client.reset();
        MainWindowTest::TearDown();
        SetScreenshotFetcherForTesting(nullptr);
        SetExternalProgramFolderForTesting("");
        SetRebootPollIntervalForTesting(kRebootPollInterval);
    }

    // Devices with tiles, as the device list builds them: tags, tile index,
    // the play box enabled for a device that is online.
    void ShowDevices(const std::vector<std::pair<std::wstring, std::wstring>>& devices)
    {
        auto* tiles = FindAs<CTileLayoutUI>(L"TileOfDevice");
        ASSERT_NE(tiles, nullptr);
        tiles->RemoveAll();
        client->devices.devices.clear();
        for (const auto& [id, sn] : devices) {
            DeviceRecord record;
            record.id = id;
            record.sn = sn;
            record.name = L"云手机" + id;
            record.online = true;
            record.tile_index = tiles->GetCount();
            const int d = static_cast<int>(client->devices.devices.size());
            client->devices.devices.push_back(record);
            CDialogBuilder builder;
            auto tile = builder.Create(L"DeviceElement.xml", tiles->GetManager());
            ASSERT_NE(tile, nullptr);
            CControlUI* added = tiles->Add(std::move(tile));
            for (const wchar_t* name : { L"CBoxOfCtrl", L"BtnOfReboot", L"BtnOfRecover", L"BtnOfUploadFile",
                     L"TabOfDeviceDetail", L"CBoxOfDevicd" })
                added->FindSubControl(name)->SetTag(static_cast<std::uintptr_t>(d));
            added->FindSubControl(L"CBoxOfCtrl")->SetEnabled(true);
        }
        FindAs<CTabLayoutUI>(L"TabOfDeviceShown")->SelectItem(1);
        ui().ProcessEvents(50);
    }
    // Batch mode as the device list shows it: the batch bar and the
    // synchronised-control button.
    void ShowBatchBar()
    {
        auto* batch = FindAs<CCheckBoxUI>(L"CBoxOfBatOpt");
        if (!batch->GetCheck())
            ui().Click(batch);
        Find(L"HLayOfBatOpt")->SetVisible(true);
        Find(L"BtnOfAllDisplay")->SetVisible(true);
        ui().ProcessEvents(20);
    }
    template <class T = CControlUI> T* TileControl(int tile, const std::wstring& name)
    {
        auto* tiles = FindAs<CTileLayoutUI>(L"TileOfDevice");
        return dynamic_cast<T*>(tiles->GetItemAt(tile)->FindSubControl(name));
    }
    bool PlayerOpen(int d) { return PlayerOpenOf(*client, d); }

    std::shared_ptr<ClientManager> client;
    std::atomic<int> screenshots { 0 };
    std::atomic<bool> answering { true };
    const OwnSyncSection syncSection;
};

TEST_F(DeviceControlUiTest, ThePlayBoxRunsAPlayerAndClearingItClosesThePlayer)
{
    ShowDevices({ { L"7", L"VM0007" }, { L"9", L"VM0009" } });
    auto* box = TileControl<CCheckBoxUI>(0, L"CBoxOfCtrl");
    ASSERT_TRUE(ui().Click(box));
    ASSERT_TRUE(WaitFor([&] { return PlayerOpen(0); }, 15000));
    EXPECT_FALSE(IsWaiting());
    EXPECT_TRUE(box->GetCheck());
    EXPECT_TRUE(ui().SavePng(PngPath("device_control_player_running")));
    // The box reports "checked" again while the player runs: nothing starts.
    // (A start would enter the wait state and count a task at once.)
    window().Paint().SendNotify(box, DUI_MSGTYPE_SELECTCHANGED);
    EXPECT_FALSE(IsWaiting());
    EXPECT_EQ(RunningTaskCount(), 1);
    ui().ProcessEvents(50);
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_play_url").size(), 1u);

    ASSERT_TRUE(ui().Click(box)); // cleared: the player is asked to close
    ASSERT_TRUE(WaitFor([&] { return !PlayerOpen(0) && WaitForTasks(50); }, 15000));
    EXPECT_FALSE(box->GetCheck());
    EXPECT_EQ(screenshots.load(), 1);
    EXPECT_EQ(boxes().Count(), 0u);
}

TEST_F(DeviceControlUiTest, APlayerClosedByHandClearsItsBoxAndRefreshesTheScreenshot)
{
    ShowDevices({ { L"7", L"VM0007" } });
    auto* box = TileControl<CCheckBoxUI>(0, L"CBoxOfCtrl");
    ASSERT_TRUE(ui().Click(box));
    ASSERT_TRUE(WaitFor([&] { return PlayerOpen(0); }, 15000));
    ExternalWindow player;
    {
        std::lock_guard lock(client->control.mutex);
        player = client->control.players[L"7"];
    }
    ASSERT_TRUE(player.IsValid());
    kill(player.pid, SIGTERM); // as when the user closes its window
    ASSERT_TRUE(WaitFor([&] { return !box->GetCheck(); }, 15000));
    EXPECT_FALSE(PlayerOpen(0));
    EXPECT_EQ(screenshots.load(), 1);
}

// A refresh of the device list closes the players, whose tiles go, but
// leaves the synchronised-control program running (it used to close it too).
TEST_F(DeviceControlUiTest, ARefreshClosesThePlayersButNotTheSynchronisedProgram)
{
    ShowDevices({ { L"7", L"VM0007" }, { L"9", L"VM0009" } });
    SetDeviceSelected(client->devices, 0, true);
    SetDeviceSelected(client->devices, 1, true);
    ShowBatchBar();
    ASSERT_TRUE(ui().Click(L"BtnOfAllDisplay"));
    ASSERT_TRUE(WaitFor(
        [&] {
            std::lock_guard lock(client->control.mutex);
            return client->control.syncWindow.IsValid();
        },
        15000));
    window().StartWith(&PlayDevice, PlayRequest { 0, client->user.userId }).Drop();
    ASSERT_TRUE(WaitFor([&] { return PlayerOpen(0); }, 15000));
    client->RefreshStamp = 1000;

    window().Devices().StartDeviceListLoad();
    ASSERT_TRUE(WaitFor(
        [&] {
            std::lock_guard lock(client->control.mutex);
            return client->control.players.empty();
        },
        15000));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }, 15000));
    EXPECT_TRUE(SyncProgramRuns(*client));
    {
        std::lock_guard lock(client->control.mutex);
        EXPECT_TRUE(client->control.syncWindow.IsValid());
    }
    // The refresh starts a new generation of catalogue rows too.
    EXPECT_GT(client->RefreshStamp.load(), 1000);
}

TEST_F(DeviceControlUiTest, SignOutClosesEveryPlayer)
{
    ShowDevices({ { L"7", L"VM0007" }, { L"9", L"VM0009" } });
    ASSERT_TRUE(ui().Click(TileControl(0, L"CBoxOfCtrl")));
    ASSERT_TRUE(WaitFor([&] { return PlayerOpen(0); }, 15000));
    ASSERT_TRUE(ui().Click(TileControl(1, L"CBoxOfCtrl")));
    ASSERT_TRUE(WaitFor([&] { return PlayerOpen(1); }, 15000));
    window().SignOut();
    EXPECT_TRUE(WaitFor(
        [&] {
            std::lock_guard lock(client->control.mutex);
            return client->control.players.empty();
        },
        15000));
}

TEST_F(DeviceControlUiTest, ARefusedRebootShowsItsFailureAndThePreviewAgain)
{
    ShowDevices({ { L"7", L"VM0007" } });
    control().InjectFault({ { "path", "/api/qtz/front_device_reboot" }, { "delay_ms", 300 },
        { "body", R"({"status":false,"message":"忙"})" } });
    ASSERT_TRUE(ui().Click(TileControl(0, L"BtnOfReboot")));
    EXPECT_EQ(boxes().CountOf(DeviceControlPage::kConfirmReboot, L"提示"), 1u);
    auto* detail = TileControl<CTabLayoutUI>(0, L"TabOfDeviceDetail");
    EXPECT_EQ(detail->GetCurSel(), 2);
    EXPECT_TRUE(client->devices.devices[0].operation_busy);
    ASSERT_TRUE(WaitFor([&] { return boxes().CountOf(L"重启失败！", L"错误") == 1; }));
    EXPECT_EQ(detail->GetCurSel(), 0);
    EXPECT_FALSE(client->devices.devices[0].operation_busy);
}

TEST_F(DeviceControlUiTest, AnAcceptedResetShowsTheBusyPageUntilTheDeviceAnswers)
{
    ShowDevices({ { L"7", L"VM0007" }, { L"9", L"VM0009" } });
    answering = false;
    ASSERT_TRUE(ui().Click(TileControl(1, L"BtnOfRecover")));
    EXPECT_EQ(boxes().CountOf(DeviceControlPage::kConfirmReset, L"提示"), 1u);
    auto* detail = TileControl<CTabLayoutUI>(1, L"TabOfDeviceDetail");
    ASSERT_TRUE(WaitFor([&] { return screenshots.load() >= 3; }));
    ui().ProcessEvents(20);
    EXPECT_EQ(detail->GetCurSel(), 2);
    EXPECT_TRUE(ui().SavePng(PngPath("device_control_resetting")));
    answering = true;
    ASSERT_TRUE(WaitFor([&] { return detail->GetCurSel() == 0; }));
    EXPECT_FALSE(client->devices.devices[1].operation_busy);
    EXPECT_EQ(TileControl<CTabLayoutUI>(0, L"TabOfDeviceDetail")->GetCurSel(), 0);
    EXPECT_EQ(boxes().Count(), 1u); // only the question
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_reset")[0].body, "id=9");
}

TEST_F(DeviceControlUiTest, CancellingTheQuestionStartsNothing)
{
    ShowDevices({ { L"7", L"VM0007" } });
    boxes().Answer(MessageBoxAnswer::Cancel);
    ASSERT_TRUE(ui().Click(TileControl(0, L"BtnOfReboot")));
    ui().ProcessEvents(50);
    EXPECT_EQ(TileControl<CTabLayoutUI>(0, L"TabOfDeviceDetail")->GetCurSel(), 0);
    EXPECT_TRUE(control().RequestsTo("/api/qtz/front_device_reboot").empty());
}

TEST_F(DeviceControlUiTest, ASingleUploadShowsItsProgressOnTheTileAndHidesItAtTheEnd)
{
    ShowDevices({ { L"7", L"VM0007" }, { L"9", L"VM0009" } });
    const std::string path = folder().string() + "/截图(1).png";
    {
        std::ofstream file(path, std::ios::binary);
        file << std::string(2000000, 'x');
    }
    FileChooserStub chooser(Utf8ToWide(path));
    control().InjectFault({ { "path", "/api/qtz/front_device_file_upload" }, { "delay_ms", 300 } });
    ASSERT_TRUE(ui().Click(TileControl(1, L"BtnOfUploadFile")));
    EXPECT_EQ(chooser.Titles(), std::vector<std::wstring> { kChooseUploadTitle });
    auto* progress = TileControl<CProgressUI>(1, L"ProOfUpload");
    EXPECT_TRUE(progress->IsVisible());
    EXPECT_FALSE(TileControl(0, L"ProOfUpload")->IsVisible());
    EXPECT_TRUE(client->devices.devices[1].upload_busy);
    ASSERT_TRUE(WaitFor([&] { return progress->GetValue() == 100; }));
    EXPECT_TRUE(ui().SavePng(PngPath("device_control_upload")));
    ASSERT_TRUE(WaitFor([&] { return !progress->IsVisible(); }));
    EXPECT_FALSE(client->devices.devices[1].upload_busy);
    // The end says so.
    EXPECT_EQ(boxes().CountOf(kUploadDoneText, L"提示"), 1u);
    EXPECT_EQ(boxes().Count(), 1u);
}

TEST_F(DeviceControlUiTest, AFileNameOutsideTheRuleIsRefusedBeforeAnythingIsSent)
{
    ShowDevices({ { L"7", L"VM0007" } });
    FileChooserStub chooser(L"/tmp/我的 文件.txt");
    ASSERT_TRUE(ui().Click(TileControl(0, L"BtnOfUploadFile")));
    EXPECT_EQ(boxes().CountOf(kUploadNameRefusedText, L"提示"), 1u);
    EXPECT_FALSE(TileControl(0, L"ProOfUpload")->IsVisible());
    chooser.SetAnswer(L""); // cancelled: nothing at all
    ASSERT_TRUE(ui().Click(TileControl(0, L"BtnOfUploadFile")));
    EXPECT_EQ(boxes().Count(), 1u);
    ui().ProcessEvents(50);
    EXPECT_TRUE(control().RequestsTo("/api/qtz/front_device_file_upload").empty());
}

TEST_F(DeviceControlUiTest, BatchUploadProgressGoesToTheBatchBarNotToATile)
{
    ShowDevices({ { L"7", L"VM0007" }, { L"9", L"VM0009" } });
    client->devices.devices[0].selected = true;
    client->devices.devices[1].selected = true;
    const std::string path = folder().string() + "/batch.bin";
    {
        std::ofstream file(path, std::ios::binary);
        file << std::string(500000, 'y');
    }
    FileChooserStub chooser(Utf8ToWide(path));
    auto* bar = FindAs<CProgressUI>(L"ProOfBatUpload");
    ShowBatchBar();
    // Device 0's own upload is under way, its bar shown: the batch's end
    // message carries 0, which is also that device's index, and must leave
    // the bar and the flag alone.
    auto* tileBar = TileControl<CProgressUI>(0, L"ProOfUpload");
    ASSERT_NE(tileBar, nullptr);
    tileBar->SetVisible(true);
    tileBar->SetValue(40);
    client->devices.devices[0].upload_busy = true;
    ASSERT_TRUE(ui().Click(L"BtnOfBatUploadFile"));
    ASSERT_TRUE(WaitFor([&] { return !control().RequestsTo("/api/qtz/front_device_file_upload").empty(); }));
    ASSERT_TRUE(WaitForTasks(10000));
    ui().ProcessEvents(50);
    EXPECT_EQ(bar->GetValue(), 0); // done
    EXPECT_TRUE(tileBar->IsVisible());
    EXPECT_EQ(tileBar->GetValue(), 40);
    EXPECT_TRUE(client->devices.devices[0].upload_busy);
    EXPECT_EQ(boxes().CountOf(kUploadDoneText, L"提示"), 1u);
    EXPECT_EQ(boxes().Count(), 1u);
}

TEST_F(DeviceControlUiTest, SynchronisedControlNeedsTwoSelectedDevices)
{
    ShowDevices({ { L"7", L"VM0007" }, { L"9", L"VM0009" } });
    client->devices.devices[0].selected = true;
    ShowBatchBar();
    ASSERT_TRUE(ui().Click(L"BtnOfAllDisplay"));
    ASSERT_TRUE(WaitFor([&] { return boxes().CountOf(L"至少选中2个设备！", L"提示") == 1; }));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    EXPECT_FALSE(SyncProgramRuns(*client));
    EXPECT_TRUE(control().RequestsTo("/api/qtz/front_device_play_url").empty());
}

// The log from the window's start on: sign-in, the loads, a player and a
// synchronised start (the helpers write into the same standard error).
class SecretLogTest : public DeviceControlUiTest {
protected:
    StderrCapture log;
};

TEST_F(SecretLogTest, NeitherThePasswordNorTheSessionNorThePlaySessionIsLogged)
{
    ShowDevices({ { L"7", L"VM0007" }, { L"9", L"VM0009" } });
    auto* box = TileControl<CCheckBoxUI>(0, L"CBoxOfCtrl");
    ASSERT_TRUE(ui().Click(box));
    ASSERT_TRUE(WaitFor(
        [&] { return PlayerOpen(0) && log.Text().find("VM0007: frame") != std::string::npos; }, 15000));
    ASSERT_TRUE(ui().Click(box));
    ASSERT_TRUE(WaitFor([&] { return !PlayerOpen(0) && WaitForTasks(50); }, 15000));

    client->devices.devices[0].selected = true;
    client->devices.devices[1].selected = true;
    ShowBatchBar();
    const std::size_t framesBefore = log.CountOf("VM0009: frame");
    ASSERT_TRUE(ui().Click(L"BtnOfAllDisplay"));
    ASSERT_TRUE(WaitFor(
        [&] { return SyncProgramRuns(*client) && log.CountOf("VM0009: frame") > framesBefore; }, 15000));
    const std::string section = ReadSyncSection();
    CloseSyncProgramOf(*client);
    ASSERT_TRUE(WaitFor([&] { return !SyncProgramRuns(*client) && WaitForTasks(50); }, 15000));

    std::vector<std::string> tokens;
    const auto sessions = control().Sessions();
    for (const auto& session : sessions.is_array() ? sessions : sessions.at("sessions"))
        tokens.push_back(session.at("token").get<std::string>());
    ASSERT_FALSE(tokens.empty());
    // The play session the helpers got is the session cookie's value.
    EXPECT_NE(section.find("\"SessionID\":\"" + tokens.back() + "\""), std::string::npos);

    const std::string text = log.Text();
    EXPECT_NE(text.find("sUrl: "), std::string::npos); // the log was there to search
    EXPECT_NE(text.find("front_device_play_url"), std::string::npos);
    EXPECT_EQ(text.find("korvana123"), std::string::npos);
    for (const std::string& token : tokens)
        EXPECT_EQ(text.find(token), std::string::npos) << token;
}

} // namespace
