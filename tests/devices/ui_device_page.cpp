// The device page of the real main window against korvana-service: the load
// after sign-in, the views and their tiles, the group selector and editor,
// moves, renames, batch mode and the screenshot button.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "app/window/CMainWnd.h"
#include "devices/DeviceList.h"
#include "devices/DevicePage.h"
#include "devices/Screenshot.h"
#include "tests/support/MainWindowTest.h"
#include "ui/UIButton.h"
#include "ui/UIEdit.h"
#include "ui/UILayout.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UIProgress.h"

namespace {

using namespace korvana::test;
using namespace DuiLib;

class DevicePageTest : public MainWindowTest {
protected:
    // Signs in as demo (or another user) and waits until the device list has
    // been read and the tiles are built.
    void SignInAndLoad(const std::wstring& name = L"demo")
    {
        StartWindow();
        SignInAgain(name);
    }
    void SignInAgain(const std::wstring& name)
    {
        const int before = Page()->FinishedLoads();
        SignInAs(name, L"korvana123");
        ASSERT_TRUE(WaitFor([&] { return Page()->FinishedLoads() > before && !IsWaiting(); }));
        ui().ProcessEvents(20);
    }
    void Refresh()
    {
        const int before = Page()->FinishedLoads();
        ASSERT_TRUE(ui().Click(L"BtnOfRefreshDeviceList"));
        ASSERT_TRUE(WaitFor([&] { return Page()->FinishedLoads() > before && !IsWaiting(); }));
    }

    DevicePage* Page() { return dynamic_cast<DevicePage*>(window().Devices()); }
    std::vector<DeviceRecord>& Devices() { return window().Client().devices.devices; }
    CTileLayoutUI* Tiles() const { return FindAs<CTileLayoutUI>(L"TileOfDevice"); }
    int Shown() const { return FindAs<CTabLayoutUI>(L"TabOfDeviceShown")->GetCurSel(); }
    CControlUI* Part(int tile, const std::wstring& name) const
    {
        return Tiles()->GetItemAt(tile)->FindSubControl(name);
    }
    int IndexOf(const std::wstring& id)
    {
        for (std::size_t i = 0; i < Devices().size(); ++i)
            if (Devices()[i].id == id)
                return static_cast<int>(i);
        return -1;
    }
    // tile_index of every device names its real tile, or is -1.
    void ExpectTileIndexesTrue()
    {
        int withTile = 0;
        for (std::size_t d = 0; d < Devices().size(); ++d) {
            const int t = Devices()[d].tile_index;
            if (t < 0)
                continue;
            ++withTile;
            ASSERT_LT(t, Tiles()->GetCount());
            EXPECT_EQ(Part(t, L"BtnOfScreenshot")->GetTag(), d);
        }
        EXPECT_EQ(withTile, Tiles()->GetCount());
    }
};

TEST_F(DevicePageTest, SignInLoadsGroupsThenAllPagesAndShowsTheUsableDevices)
{
    SignInAndLoad();
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_groups_get").size(), 1u);
    auto pages = control().RequestsTo("/api/qtz/front_device_list");
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[2].body, "&type=0&page_size=10&page_index=3");
    ASSERT_EQ(Devices().size(), 25u);
    EXPECT_EQ(Devices()[0].id, L"1");
    EXPECT_EQ(Devices()[20].name, L"ID:21");
    EXPECT_EQ(window().Client().devices.groups.size(), 3u);
    EXPECT_EQ(FindAs<CProgressUI>(L"ProOfUpdata")->GetValue(), 100);

    // 25 devices less three expired and one offline.
    EXPECT_EQ(Shown(), DevicePage::kTilesPage);
    EXPECT_EQ(Tiles()->GetCount(), 21);
    ExpectTileIndexesTrue();
    EXPECT_TRUE(Find(L"BtnOfRefreshDeviceList")->IsEnabled());
    // Both dots: there are offline and expired devices.
    EXPECT_FALSE(Find(L"OptOfOfflineDevice")->GetForeImage().empty());
    EXPECT_FALSE(Find(L"OptOfExtDevice")->GetForeImage().empty());

    auto* selector = FindAs<CListUI>(L"ListOfDeviceGroupSel");
    EXPECT_TRUE(selector->IsVisible());
    ASSERT_EQ(selector->GetCount(), 4);
    EXPECT_EQ(selector->GetItemAt(0)->GetText(), L"我的设备");
    EXPECT_EQ(selector->GetItemAt(1)->GetText(), L"家庭");
    EXPECT_EQ(selector->GetFixedHeight(), 75);
    EXPECT_EQ(Find(L"OptOfAllDevice")->GetText(), L"我的设备");

    const int tile = Devices()[0].tile_index;
    ASSERT_GE(tile, 0);
    EXPECT_EQ(Part(tile, L"CtrlOfInfoUp")->GetToolTip(), L"Pro_1\r\n10.0.0.2_VM0001");
    EXPECT_EQ(Part(tile, L"EditOfDeviceName")->GetText(), L"云手机01");
    EXPECT_EQ(Part(tile, L"BtnOfChangeGroup")->GetText(), L"工作");
    EXPECT_EQ(Part(tile, L"BtnOfDeviceTimeLeft")->GetText(), L"<f 11>Pro </f>" + Devices()[0].expiry_text);
    EXPECT_TRUE(Part(tile, L"CBoxOfCtrl")->IsEnabled());
    // Device 25's group matches none.
    EXPECT_EQ(Part(Devices()[24].tile_index, L"BtnOfChangeGroup")->GetText(), L"未分组设备");
    if (HasFailure())
        return;
    ui().SavePng(PngPath("devices_group_view.png"));
}

TEST_F(DevicePageTest, AUserWithoutDevicesSeesTheEmptyPageAndNoProgress)
{
    control().Post("/__test/devices/generate?user=43&count=0", "");
    SignInAndLoad(L"张三");
    EXPECT_TRUE(Devices().empty());
    EXPECT_EQ(Shown(), DevicePage::kNoDevicesPage);
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_list").size(), 1u);
    EXPECT_EQ(FindAs<CProgressUI>(L"ProOfUpdata")->GetValue(), 0);
    ui().SavePng(PngPath("devices_empty.png"));
}

TEST_F(DevicePageTest, ExpiredAndFaultyViewsAndTheSearch)
{
    SignInAndLoad();
    ASSERT_TRUE(ui().Click(L"OptOfExtDevice"));
    EXPECT_EQ(Tiles()->GetCount(), 3);
    EXPECT_FALSE(Find(L"ListOfDeviceGroupSel")->IsVisible());
    const int expired = Devices()[4].tile_index;  // device 5
    ASSERT_GE(expired, 0);
    EXPECT_FALSE(Part(expired, L"CBoxOfCtrl")->IsEnabled());
    EXPECT_EQ(Part(expired, L"LabOfCtrl")->GetText(), L"设备5到期，请充值");
    EXPECT_TRUE(Part(expired, L"BtnOfDeviceTimeLeft")->IsEnabled());
    ExpectTileIndexesTrue();
    ui().SavePng(PngPath("devices_expired.png"));

    ASSERT_TRUE(ui().Click(L"OptOfOfflineDevice"));
    ASSERT_EQ(Tiles()->GetCount(), 1);
    EXPECT_EQ(Part(0, L"LabOfCtrl")->GetText(), L"设备17离线，请联系客服");
    EXPECT_EQ(Devices()[16].tile_index, 0);
    EXPECT_EQ(Devices()[0].tile_index, -1);

    ASSERT_TRUE(ui().TypeText(L"EditOfSearch", L"手机2"));
    EXPECT_TRUE(FindAs<COptionUI>(L"OptOfDeviceSearch")->IsSelected());
    EXPECT_FALSE(FindAs<COptionUI>(L"OptOfOfflineDevice")->IsSelected());
    // 云手机20, 22 to 25 (21 is unnamed).
    EXPECT_EQ(Tiles()->GetCount(), 5);
    ExpectTileIndexesTrue();

    ASSERT_TRUE(ui().Click(L"OptOfAllDevice"));
    EXPECT_TRUE(Find(L"ListOfDeviceGroupSel")->IsVisible());
    EXPECT_EQ(Tiles()->GetCount(), 21);
}

TEST_F(DevicePageTest, TheGroupSelectorFiltersAndKeepsItsIndexWithinTheList)
{
    SignInAndLoad();
    auto* selector = FindAs<CListUI>(L"ListOfDeviceGroupSel");
    ASSERT_TRUE(selector->SelectItem(2));  // 工作 (id 2)
    EXPECT_EQ(Page()->CurrentGroupIndex(), 2);
    EXPECT_EQ(Find(L"OptOfAllDevice")->GetText(), L"工作");
    for (int t = 0; t < Tiles()->GetCount(); ++t)
        EXPECT_EQ(Part(t, L"BtnOfChangeGroup")->GetText(), L"工作");
    EXPECT_EQ(Tiles()->GetCount(), 7);

    // The refresh keeps the group; a shorter group list brings it back to 0.
    Refresh();
    EXPECT_EQ(Page()->CurrentGroupIndex(), 2);
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_groups_get").size(), 1u);

    window().SignOut();
    EXPECT_TRUE(Devices().empty());
    EXPECT_EQ(Tiles()->GetCount(), 0);
    control().Post("/__test/devices/generate?user=43&count=3", "");
    SignInAgain(L"张三");
    EXPECT_EQ(Page()->CurrentGroupIndex(), 0);
    EXPECT_EQ(selector->GetCount(), 2);
    EXPECT_EQ(selector->GetFixedHeight(), 50);
}

TEST_F(DevicePageTest, ALoadFailingOnPageTwoKeepsPageOneAndShowsTheBox)
{
    control().Post("/__test/devices/fail_page?page=2&text=%E7%BB%B4%E6%8A%A4%E4%B8%AD", "");  // 维护中
    SignInAndLoad();
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_list").size(), 2u);
    EXPECT_EQ(boxes().CountOf(L"维护中", L"错误"), 1u);
    ASSERT_EQ(Devices().size(), 10u);
    EXPECT_EQ(Devices()[9].id, L"10");
    EXPECT_EQ(Shown(), DevicePage::kProgressPage);
    EXPECT_TRUE(Find(L"BtnOfRefreshDeviceList")->IsEnabled());
    EXPECT_EQ(MainWindowPage(), 1);
    // The next view change shows what was read.
    ASSERT_TRUE(ui().Click(L"OptOfExtDevice"));
    EXPECT_EQ(Shown(), DevicePage::kTilesPage);
    EXPECT_EQ(Tiles()->GetCount(), 1);
}

TEST_F(DevicePageTest, AnExpiredSessionDuringTheLoadLeadsBackToSignIn)
{
    control().Post("/__test/devices/fail_page?page=1&text=-1000", "");
    SignInAndLoad();
    EXPECT_EQ(boxes().CountOf(L"请重新登陆！", L"错误"), 1u);
    EXPECT_EQ(MainWindowPage(), 0);
}

}  // namespace
