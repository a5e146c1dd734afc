// The device page of the real main window against korvana-service: the load
// after sign-in, the views and their tiles, the group selector and editor,
// moves, renames, batch mode and the screenshot button.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/Messages.h"
#include "app/window/CMainWnd.h"
#include "app/window/MainTabPage.h"
#include "commerce/BuyPage.h"
#include "devices/DeviceGroups.h"
#include "devices/DeviceList.h"
#include "devices/DevicePage.h"
#include "devices/DeviceTile.h"
#include "devices/Screenshot.h"
#include "net/PagedLoad.h"
#include "net/TextConvert.h"
#include "platform/Utf8.h"
#include "tests/support/MainWindowTest.h"
#include "tests/support/PageOrder.h"
#include "ui/UICheckBox.h"
#include "ui/UIEdit.h"
#include "ui/UILazyContainer.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UIOption.h"
#include "ui/UIProgress.h"
#include "ui/UITabLayout.h"
#include "ui/UITileLayout.h"

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

    DevicePage* Page() { return dynamic_cast<DevicePage*>(&window().Devices()); }
    // Backspace in the field's editor, as a user erases text.
    void EraseByHand(const std::wstring& name, int count)
    {
        auto* edit = FindAs<CEditUI>(name);
        ASSERT_TRUE(edit && ui().Click(edit));
        auto* editor = static_cast<QWidget*>(edit->GetNativeEditor());
        ASSERT_NE(editor, nullptr);
        for (int i = 0; i < count; ++i) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
            QApplication::sendEvent(editor, &press);
        }
    }
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
    // Page 1 first; pages 2 and 3 overlap.
    EXPECT_EQ(InLoadOrder({ pages[0].body, pages[1].body, pages[2].body }),
        (std::vector<std::string> { "&type=0&page_size=10&page_index=1", "&type=0&page_size=10&page_index=2",
            "&type=0&page_size=10&page_index=3" }));
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
    const int expired = Devices()[4].tile_index; // device 5
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

    // Erasing the search by hand is no search for "": 我的设备 comes back
    // with its own rules, so no expired or faulty device shows there.
    EraseByHand(L"EditOfSearch", 3);
    EXPECT_EQ(Find(L"EditOfSearch")->GetText(), L"");
    EXPECT_TRUE(FindAs<COptionUI>(L"OptOfAllDevice")->IsSelected());
    EXPECT_EQ(Tiles()->GetCount(), 21);
    for (const DeviceRecord& d : Devices())
        if (d.time_left <= 0 || !d.online) {
            EXPECT_EQ(d.tile_index, -1) << Utf8OfWide(d.name);
        }
    EXPECT_EQ(window().Paint().GetFocus(), Find(L"EditOfSearch"));

    ASSERT_TRUE(ui().Click(L"OptOfAllDevice"));
    EXPECT_TRUE(Find(L"ListOfDeviceGroupSel")->IsVisible());
    EXPECT_EQ(Tiles()->GetCount(), 21);
}

TEST_F(DevicePageTest, TheGroupSelectorFiltersAndKeepsItsIndexWithinTheList)
{
    SignInAndLoad();
    auto* selector = FindAs<CListUI>(L"ListOfDeviceGroupSel");
    ASSERT_TRUE(selector->SelectItem(2)); // 工作 (id 2)
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
    control().Post("/__test/devices/fail_page?page=2&text=%E7%BB%B4%E6%8A%A4%E4%B8%AD", ""); // 维护中
    SignInAndLoad();
    // Page 3 may have been on its way already; what it brought is dropped.
    EXPECT_GE(control().RequestsTo("/api/qtz/front_device_list").size(), 2u);
    EXPECT_EQ(boxes().CountOf(L"维护中", L"错误"), 1u);
    ASSERT_EQ(Devices().size(), 10u);
    EXPECT_EQ(Devices()[9].id, L"10");
    // Page 1's tiles were shown when it came, and stay.
    EXPECT_EQ(Shown(), DevicePage::kTilesPage);
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

TEST_F(DevicePageTest, TheScreenshotButtonStoresThePictureAndTheTileShowsIt)
{
    SignInAndLoad();
    const int device = IndexOf(L"7");
    const int tile = Devices()[device].tile_index;
    CControlUI* button = Part(tile, L"BtnOfScreenshot");
    ASSERT_TRUE(ui().Click(button));
    EXPECT_FALSE(button->IsEnabled());
    ASSERT_TRUE(WaitFor([&] { return button->IsEnabled(); }));
    auto log = control().RequestsTo("/api/qtz/front_device_capture");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].body, "&id=7");
    EXPECT_TRUE(std::filesystem::exists(ScreenshotFilePathNarrow(L"7")));
    EXPECT_EQ(Part(tile, L"HLayoutOfCtrl")->GetBkImage(), ScreenshotFilePath(L"7"));
    EXPECT_EQ(boxes().Count(), 0u);

    // A failure shows the box and leaves the button usable again.
    control().InjectFault({ { "path", "/api/qtz/front_device_capture" }, { "kind", "not_json" } });
    ASSERT_TRUE(ui().Click(button));
    ASSERT_TRUE(WaitFor([&] { return boxes().Count() == 1; }));
    EXPECT_EQ(boxes().CountOf(L"更新截屏失败，请稍后重试！", L"提示"), 1u);
    EXPECT_TRUE(button->IsEnabled());
    EXPECT_TRUE(std::filesystem::exists(ScreenshotFilePathNarrow(L"7")));
}

TEST_F(DevicePageTest, TheSpinnerCyclesThroughEighteenFrames)
{
    SignInAndLoad();
    control().InjectFault({ { "path", "/api/qtz/front_device_capture" }, { "delay_ms", 800 } });
    CControlUI* button = Part(0, L"BtnOfScreenshot");
    ASSERT_TRUE(ui().Click(button));
    ASSERT_TRUE(ui().WaitUntil([&] { return ui().CountOf(L"timer", L"BtnOfScreenshot") >= 19; }, 3000));
    // Nineteen ticks from frame 0: once round and one on.
    EXPECT_NE(button->GetDisabledImage().find(L"sinchronize_25_white_"), std::wstring::npos);
    ASSERT_TRUE(WaitFor([&] { return button->IsEnabled(); }));
    const int ticks = ui().CountOf(L"timer", L"BtnOfScreenshot");
    ui().ProcessEvents(100);
    EXPECT_EQ(ui().CountOf(L"timer", L"BtnOfScreenshot"), ticks) << "the timer stops with the result";
    const int frame = ticks % 18;
    EXPECT_NE(
        button->GetDisabledImage().find(L"_white_" + std::to_wstring(frame) + L".png"), std::wstring::npos)
        << WideToUtf8(button->GetDisabledImage());
}

TEST_F(DevicePageTest, TheGroupEditorAddsRenamesMovesAndDeletes)
{
    SignInAndLoad();
    ASSERT_TRUE(ui().Click(L"BtnOfEditDeviceGroup"));
    EXPECT_EQ(FindAs<CTabLayoutUI>(L"TabOfDevice")->GetCurSel(), DevicePage::kGroupEditorPage);
    EXPECT_FALSE(Find(L"ListOfDeviceGroupSel")->IsVisible());
    auto* list = FindAs<CListUI>(L"ListOfDeviceGroup");
    ASSERT_EQ(list->GetCount(), 4);
    EXPECT_EQ(list->GetItemAt(1)->FindSubControl(L"LabOfGroupIndex")->GetText(), L"分组2");
    EXPECT_EQ(list->GetItemAt(1)->FindSubControl(L"EditOfGroupName")->GetText(), L"工作");
    EXPECT_EQ(list->GetItemAt(3)->FindSubControlAs<CTabLayoutUI>(L"TabOfDeviceGroup")->GetCurSel(), 1);
    ui().SavePng(PngPath("devices_group_editor.png"));

    // The add button of the editor's last row.
    ASSERT_TRUE(ui().Click(list->GetItemAt(3)->FindSubControl(L"BtnOfAddGroup")));
    EXPECT_EQ(window().Client().devices.groups.back().id, "4");
    EXPECT_FALSE(Find(L"BtnOfAddGroup")->IsEnabled());
    ASSERT_TRUE(WaitFor([&] { return Find(L"BtnOfAddGroup")->IsEnabled(); }));
    auto saves = control().RequestsTo("/api/qtz/front_device_groups_set");
    ASSERT_EQ(saves.size(), 1u);
    // {"1":"家庭","2":"工作","3":"游戏","4":"新分组4"}, UTF-8 then form-encoded.
    EXPECT_EQ(saves[0].body,
        "&groups=%7B%221%22%3A%22%E5%AE%B6%E5%BA%AD%22%2C%222%22%3A%22%E5%B7%A5%E4%BD%9C%22%2C%223%22%3A%22"
        "%E6%B8%B8%E6%88%8F%22%2C%224%22%3A%22%E6%96%B0%E5%88%86%E7%BB%844%22%7D");
    ASSERT_EQ(list->GetCount(), 5);

    // Renaming a group to its own name is refused.
    auto* edit = list->GetItemAt(0)->FindSubControlAs<CEditUI>(L"EditOfGroupName");
    window().Paint().SetFocus(edit);
    EXPECT_EQ(edit->GetText(), L"");
    edit->SetText(L"家庭");
    window().Paint().SetFocus(nullptr);
    EXPECT_EQ(boxes().CountOf(L"要保存么？", L"提示"), 1u);
    EXPECT_EQ(boxes().CountOf(L"分组名必须唯一", L"提示"), 1u);
    // A name code page 936 cannot hold says so and leaves the old name; the
    // same name may be tried again and says so again (it used to be
    // "分组名必须唯一" once, then nothing).
    for (int attempt = 1; attempt <= 2; ++attempt) {
        window().Paint().SetFocus(edit);
        edit->SetText(L"游戏\U0001F3AE");
        window().Paint().SetFocus(nullptr);
        EXPECT_EQ(boxes().CountOf(kGroupNameNotStorableText, L"提示"), static_cast<std::size_t>(attempt));
        EXPECT_EQ(boxes().CountOf(L"分组名必须唯一", L"提示"), 1u);
        EXPECT_EQ(edit->GetText(), L"家庭");
        EXPECT_EQ(window().Client().devices.groups[0].name, "\xBC\xD2\xCD\xA5"); // 家庭
    }
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_groups_set").size(), 1u);
    // A new name is saved.
    window().Paint().SetFocus(edit);
    edit->SetText(L"家里");
    window().Paint().SetFocus(nullptr);
    EXPECT_EQ(window().Client().devices.groups[0].name, "\xBC\xD2\xC0\xEF"); // 家里 in code page 936
    ASSERT_TRUE(
        WaitFor([&] { return control().RequestsTo("/api/qtz/front_device_groups_set").size() == 2; }));

    // Down, then delete the first row: 工作 leads.
    ASSERT_TRUE(ui().Click(list->GetItemAt(0)->FindSubControl(L"BtnOfMoveDown")));
    EXPECT_EQ(window().Client().devices.groups[0].id, "2");
    ASSERT_TRUE(ui().Click(list->GetItemAt(0)->FindSubControl(L"BtnOfDelGroup")));
    ASSERT_EQ(window().Client().devices.groups.size(), 3u);
    EXPECT_EQ(window().Client().devices.groups[0].id, "1");
    ASSERT_TRUE(
        WaitFor([&] { return control().RequestsTo("/api/qtz/front_device_groups_set").size() == 4; }));
    nlohmann::json state = nlohmann::json::parse(control().Get("/__test/devices/state?user=42").body);
    ASSERT_EQ(state["groups"].size(), 3u);
    EXPECT_EQ(state["groups"][0]["name"], "家里");
    EXPECT_EQ(state["groups"][2]["name"], "新分组4");

    // Back to the list: the selector has the new set.
    ASSERT_TRUE(ui().Click(L"BtnOfDeviceTab"));
    EXPECT_EQ(FindAs<CTabLayoutUI>(L"TabOfDevice")->GetCurSel(), DevicePage::kDeviceListPage);
    auto* selector = FindAs<CListUI>(L"ListOfDeviceGroupSel");
    ASSERT_EQ(selector->GetCount(), 4);
    EXPECT_EQ(selector->GetItemAt(1)->GetText(), L"家里");
}

TEST_F(DevicePageTest, TheGroupMenuMovesOneDevice)
{
    SignInAndLoad();
    const int device = IndexOf(L"7"); // in group 2 (工作)
    menus().SetAnswer(msg::kGroupMenuFirstId + 2);
    ASSERT_TRUE(ui().Click(Part(Devices()[device].tile_index, L"BtnOfChangeGroup")));
    auto menus_ = menus().Menus();
    ASSERT_EQ(menus_.size(), 1u);
    ASSERT_EQ(menus_[0].size(), 3u);
    EXPECT_EQ(menus_[0][1].text, L"移动到 工作");
    EXPECT_EQ(menus_[0][1].id, msg::kGroupMenuFirstId + 1);
    EXPECT_TRUE(menus_[0][0].enabled);
    EXPECT_FALSE(menus_[0][1].enabled);
    EXPECT_TRUE(menus_[0][2].enabled);
    EXPECT_EQ(Devices()[device].group_id, L"3");
    ASSERT_TRUE(WaitFor([&] { return boxes().Count() == 1; }));
    EXPECT_EQ(boxes().CountOf(L"保存设备分组成功！", L"提示"), 1u);
    auto log = control().RequestsTo("/api/qtz/front_device_set");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].body, "&id=7&name=&group_id=3");
    EXPECT_EQ(Part(Devices()[device].tile_index, L"BtnOfChangeGroup")->GetText(), L"游戏");
}

TEST_F(DevicePageTest, BatchModeKeepsTheSelectionAcrossViewsAndMovesTheSelected)
{
    SignInAndLoad();
    ASSERT_TRUE(ui().Click(L"CBoxOfBatOpt"));
    EXPECT_TRUE(Find(L"HLayOfBatOpt")->IsVisible());
    EXPECT_TRUE(Find(L"BtnOfAllDisplay")->IsVisible());
    EXPECT_TRUE(Part(0, L"CBoxOfDevicd")->IsVisible());
    EXPECT_FALSE(Part(0, L"HorOfDeviceCtrl")->IsVisible());
    EXPECT_FALSE(Part(0, L"BtnOfDeviceTimeLeft")->IsEnabled());
    ui().ProcessEvents(20);

    const int seven = IndexOf(L"7");
    const int nine = IndexOf(L"9");
    ASSERT_TRUE(ui().Click(Part(Devices()[seven].tile_index, L"CBoxOfDevicd")));
    ASSERT_TRUE(ui().Click(Part(Devices()[nine].tile_index, L"CBoxOfDevicd")));
    EXPECT_TRUE(Devices()[seven].selected);
    EXPECT_TRUE(Devices()[nine].selected);
    ui().SavePng(PngPath("devices_batch_mode.png"));

    // The filtered view: boxes shown, selection kept; select-all takes only
    // the tiles shown.
    ASSERT_TRUE(ui().Click(L"OptOfExtDevice"));
    EXPECT_TRUE(Part(0, L"CBoxOfDevicd")->IsVisible());
    ASSERT_TRUE(ui().Click(L"CBoxOfSelAll"));
    int selected = 0;
    for (const DeviceRecord& d : Devices())
        selected += d.selected ? 1 : 0;
    EXPECT_EQ(selected, 5);
    ASSERT_TRUE(ui().Click(L"CBoxOfSelAll"));
    EXPECT_FALSE(Devices()[IndexOf(L"5")].selected);
    EXPECT_TRUE(Devices()[seven].selected);

    ASSERT_TRUE(ui().Click(L"OptOfAllDevice"));
    EXPECT_TRUE(FindAs<CCheckBoxUI>(L"CBoxOfBatOpt")->IsSelected());
    EXPECT_TRUE(dynamic_cast<CCheckBoxUI*>(Part(Devices()[seven].tile_index, L"CBoxOfDevicd"))->IsSelected());
    menus().SetAnswer(msg::kGroupMenuFirstId + 1);
    ASSERT_TRUE(ui().Click(L"BtnOfMove"));
    ASSERT_TRUE(WaitFor([&] { return boxes().Count() == 1; }));
    EXPECT_EQ(boxes().CountOf(L"保存设备名称成功！", L"提示"), 1u);
    auto log = control().RequestsTo("/api/qtz/front_device_set");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].body, "&id=7%2C9%2C&name=&group_id=2");
    EXPECT_EQ(Devices()[nine].group_id, L"2");

    // Leaving batch mode keeps the selection and restores the tools.
    ASSERT_TRUE(ui().Click(L"CBoxOfBatOpt"));
    EXPECT_FALSE(Find(L"HLayOfBatOpt")->IsVisible());
    EXPECT_TRUE(Part(0, L"HorOfDeviceCtrl")->IsVisible());
    EXPECT_TRUE(Devices()[seven].selected);
}

TEST_F(DevicePageTest, AThousandDevicesMakeOnlyTheTilesInViewAndLaterTilesShowTheState)
{
    StartWindow();
    control().Post("/__test/devices/generate?user=43&count=1000", "");
    SignInAgain(L"张三");
    ASSERT_GT(Tiles()->GetCount(), 900);
    ui().ProcessEvents(50);
    CControlUI* first = Tiles()->GetItemAt(0);
    CControlUI* last = Tiles()->GetItemAt(Tiles()->GetCount() - 1);
    EXPECT_TRUE(IsTileMade(*first));
    EXPECT_FALSE(IsTileMade(*last));
    const int device = DeviceIndexOfTile(*last);
    ASSERT_GE(device, 0);
    EXPECT_EQ(Devices()[static_cast<std::size_t>(device)].tile_index, Tiles()->GetCount() - 1);

    // Batch mode and select-all make no tile; one made afterwards shows both.
    ASSERT_TRUE(ui().Click(L"CBoxOfBatOpt"));
    ASSERT_TRUE(ui().Click(L"CBoxOfSelAll"));
    EXPECT_FALSE(IsTileMade(*last));
    EXPECT_TRUE(Devices()[static_cast<std::size_t>(device)].selected);
    auto* box = dynamic_cast<CCheckBoxUI*>(last->FindSubControl(L"CBoxOfDevicd"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->IsVisible());
    EXPECT_TRUE(box->IsSelected());
    EXPECT_FALSE(last->FindSubControl(L"HorOfDeviceCtrl")->IsVisible());
    EXPECT_EQ(last->FindSubControl(L"BtnOfScreenshot")->GetTag(), static_cast<std::uintptr_t>(device));
    // A tile made earlier follows the mode as before.
    ASSERT_TRUE(ui().Click(L"CBoxOfBatOpt"));
    EXPECT_TRUE(first->FindSubControl(L"HorOfDeviceCtrl")->IsVisible());
    ExpectTileIndexesTrue();
}

TEST_F(DevicePageTest, RenamingADeviceAsksAndSavesTheName)
{
    SignInAndLoad();
    const int device = IndexOf(L"7");
    const int tile = Devices()[device].tile_index;
    ASSERT_TRUE(ui().Click(Part(tile, L"CBoxOfModifyDeviceName")));
    auto* edit = dynamic_cast<CEditUI*>(Part(tile, L"EditOfDeviceName"));
    EXPECT_TRUE(edit->IsEnabled());
    EXPECT_EQ(edit->GetText(), L"");
    edit->SetText(L"My pad");
    window().Paint().SetFocus(nullptr);
    EXPECT_EQ(boxes().CountOf(L"要保存么？", L"提示"), 1u);
    EXPECT_FALSE(edit->IsEnabled());
    EXPECT_FALSE(dynamic_cast<CCheckBoxUI*>(Part(tile, L"CBoxOfModifyDeviceName"))->IsSelected());
    EXPECT_EQ(Devices()[device].name, L"My pad");
    ASSERT_TRUE(WaitFor([&] { return boxes().Count() == 2; }));
    EXPECT_EQ(boxes().CountOf(L"保存设备名称成功！", L"提示"), 1u);
    auto log = control().RequestsTo("/api/qtz/front_device_set");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].body, "&id=7&name=My%20pad&groups=My%20pad");

    // Cancel puts the name back; an "&" is refused before any request.
    boxes().Answer(MessageBoxAnswer::Cancel);
    ASSERT_TRUE(ui().Click(Part(tile, L"CBoxOfModifyDeviceName")));
    edit->SetText(L"Other");
    window().Paint().SetFocus(nullptr);
    EXPECT_EQ(edit->GetText(), L"My pad");
    ASSERT_TRUE(ui().Click(Part(tile, L"CBoxOfModifyDeviceName")));
    edit->SetText(L"A&B");
    window().Paint().SetFocus(nullptr);
    EXPECT_EQ(edit->GetText(), L"My pad");
    EXPECT_EQ(Devices()[device].name, L"My pad");
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_set").size(), 1u);
}

TEST_F(DevicePageTest, TilesWithScreenshotsAndTheRefreshRebuildsThem)
{
    SignInAndLoad();
    for (int t = 0; t < 8; ++t) {
        CControlUI* button = Part(t, L"BtnOfScreenshot");
        ASSERT_TRUE(ui().Click(button));
        ASSERT_TRUE(WaitFor([&] { return button->IsEnabled(); }));
    }
    ui().ProcessEvents(50);
    ui().SavePng(PngPath("devices_screenshots.png"));
    Refresh();
    EXPECT_EQ(Tiles()->GetCount(), 21);
    EXPECT_EQ(Part(0, L"HLayoutOfCtrl")->GetBkImage(), ScreenshotFilePath(Devices()[0].id));
    EXPECT_TRUE(Part(10, L"HLayoutOfCtrl")->GetBkImage().empty());
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_groups_get").size(), 1u);
}

TEST_F(DevicePageTest, ViewsWaitWhileALoadRunsAndASignOutDropsItsRecords)
{
    SignInAndLoad();
    control().InjectFault({ { "path", "/api/qtz/front_device_list" }, { "delay_ms", 300 } });
    const int before = Page()->FinishedLoads();
    ASSERT_TRUE(ui().Click(L"BtnOfRefreshDeviceList"));
    EXPECT_TRUE(Page()->IsLoading());
    EXPECT_FALSE(Find(L"BtnOfRefreshDeviceList")->IsEnabled());
    EXPECT_EQ(Tiles()->GetCount(), 0);
    // Views asked for meanwhile build nothing from a list being replaced.
    Page()->SearchDevices(L"云");
    Page()->ShowExpiredDevices();
    Page()->RefreshDeviceView();
    EXPECT_EQ(Tiles()->GetCount(), 0);
    EXPECT_EQ(Shown(), DevicePage::kProgressPage);
    ASSERT_TRUE(WaitFor([&] { return Page()->FinishedLoads() > before; }));
    EXPECT_EQ(Tiles()->GetCount(), 21);
    ExpectTileIndexesTrue();

    // A sign-out while a load runs: what it brings afterwards is dropped.
    const int second = Page()->FinishedLoads();
    ASSERT_TRUE(ui().Click(L"BtnOfRefreshDeviceList"));
    window().SignOut();
    ASSERT_TRUE(WaitFor([&] { return Page()->FinishedLoads() > second; }, 10000));
    EXPECT_TRUE(Devices().empty());
    EXPECT_EQ(Tiles()->GetCount(), 0);
    EXPECT_EQ(MainWindowPage(), 0);
    EXPECT_EQ(boxes().Count(), 0u) << (boxes().Count() ? Utf8OfWide(boxes().Boxes()[0].text) : std::string());
}

TEST_F(DevicePageTest, ALongLoadShowsTheFirstPageAtOnceAndKeepsTheWindowUsable)
{
    control().Post("/__test/devices/generate?user=42&count=1000", "");
    SignInAndLoad();
    ASSERT_EQ(Devices().size(), 1000u);
    // 100 pages at 100 ms: the load runs for well over a second.
    control().SetLatency(100);
    const int before = Page()->FinishedLoads();
    ASSERT_TRUE(ui().Click(L"BtnOfRefreshDeviceList"));
    ASSERT_TRUE(WaitFor([&] { return Page()->IsShowingFirstPage(); }, 60000));
    // Page 1's ten devices, in tiles, without a wait cursor.
    EXPECT_FALSE(IsWaiting());
    EXPECT_EQ(Devices().size(), 10u);
    EXPECT_EQ(Shown(), DevicePage::kTilesPage);
    EXPECT_EQ(Tiles()->GetCount(), 10);
    EXPECT_FALSE(Find(L"BtnOfRefreshDeviceList")->IsEnabled());
    ExpectTileIndexesTrue();
    // The views work on what is there; what the user does to a record stays.
    Page()->SearchDevices(L"设备3");
    EXPECT_EQ(Tiles()->GetCount(), 1);
    Devices()[2].selected = true;
    // Another page and back, at once.
    ASSERT_TRUE(ui().Click(L"OptOfNotify"));
    EXPECT_NE(MainTabPage(), 2);
    ASSERT_TRUE(ui().Click(L"OptOfDevice"));
    EXPECT_EQ(MainTabPage(), 2);
    EXPECT_EQ(Tiles()->GetCount(), 10);
    EXPECT_TRUE(Page()->IsLoading());
    // Painted, so made.
    ASSERT_TRUE(WaitFor([&] { return dynamic_cast<CLazyContainerUI*>(Tiles()->GetItemAt(0))->IsBuilt(); }));
    CControlUI* firstTile = Tiles()->GetItemAt(0);

    ASSERT_TRUE(WaitFor([&] { return Page()->FinishedLoads() > before; }, 60000));
    control().SetLatency(0);
    ASSERT_EQ(Devices().size(), 1000u);
    for (std::size_t i = 0; i < Devices().size(); ++i)
        ASSERT_EQ(Devices()[i].id, std::to_wstring(i + 1));
    EXPECT_TRUE(Devices()[2].selected);
    // Every 50th device is offline: 980 in the group view.
    EXPECT_EQ(Tiles()->GetCount(), 980);
    ExpectTileIndexesTrue();
    // The first page's tiles stay as they are, the others follow them.
    EXPECT_EQ(Tiles()->GetItemAt(0), firstTile);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(Tiles()->GetItemAt(i)->GetTag(), static_cast<std::uintptr_t>(i));
    EXPECT_EQ(Tiles()->GetItemAt(10)->GetTag(), 10u);
    EXPECT_TRUE(Find(L"BtnOfRefreshDeviceList")->IsEnabled());
    EXPECT_FALSE(IsWaiting());
    EXPECT_EQ(boxes().Count(), 0u);
}

TEST_F(DevicePageTest, ASignOutInTheMiddleOfALongLoadSendsNothingMore)
{
    control().Post("/__test/devices/generate?user=42&count=1000", "");
    SignInAndLoad();
    control().SetLatency(100);
    control().ClearLog();
    ASSERT_TRUE(ui().Click(L"BtnOfRefreshDeviceList"));
    ASSERT_TRUE(
        WaitFor([&] { return control().RequestsTo("/api/qtz/front_device_list").size() >= 10; }, 60000));
    window().SignOut();
    const std::size_t atSignOut = control().RequestsTo("/api/qtz/front_device_list").size();
    ASSERT_TRUE(WaitForTasks(20000));
    ui().ProcessEvents(20);
    const std::size_t after = control().RequestsTo("/api/qtz/front_device_list").size();
    // At most what was on its way when the sign-out came; never the rest.
    EXPECT_LE(after, atSignOut + kPagedLoadConcurrency);
    EXPECT_LT(after, 100u);
    EXPECT_FALSE(std::filesystem::exists(GetLocalPaths().cookieFile.narrow));
    EXPECT_TRUE(Devices().empty());
    EXPECT_EQ(Tiles()->GetCount(), 0);
    EXPECT_FALSE(Page()->IsLoading());
    EXPECT_FALSE(IsWaiting());
    EXPECT_EQ(MainWindowPage(), 0);
    EXPECT_EQ(boxes().Count(), 0u) << (boxes().Count() ? Utf8OfWide(boxes().Boxes()[0].text) : std::string());
}

TEST_F(DevicePageTest, ASignOutBeforeTheGroupsArriveLoadsNoDevices)
{
    StartWindow();
    control().InjectFault({ { "path", "/api/qtz/front_device_groups_get" }, { "delay_ms", 300 } });
    SignInAs(L"demo", L"korvana123");
    window().SignOut();
    ASSERT_TRUE(WaitForTasks(5000));
    ui().ProcessEvents(50);
    EXPECT_TRUE(control().RequestsTo("/api/qtz/front_device_list").empty());
    EXPECT_EQ(boxes().Count(), 0u) << (boxes().Count() ? Utf8OfWide(boxes().Boxes()[0].text) : std::string());
    EXPECT_FALSE(Page()->IsLoading());
    EXPECT_FALSE(IsWaiting());
}

TEST_F(DevicePageTest, TheHandOversBringThePurchaseAndMarketPagesForward)
{
    StartWindow();
    // The toolbar's button (the tiles' elements hold one of the same name).
    CControlUI* addNew = Find(L"BtnOfAddNew");
    ASSERT_TRUE(addNew && addNew->GetUserData() == L"DeviceTab");
    SignInAgain(L"demo");
    const auto* buy = dynamic_cast<const BuyPage*>(&window().Commerce());
    ASSERT_NE(buy, nullptr);
    auto mainPage = [&] { return FindAs<CTabLayoutUI>(L"TabOfMain")->GetCurSel(); };
    auto goodsPage = [&] { return FindAs<CTabLayoutUI>(L"TabOfGoods")->GetCurSel(); };

    control().ClearLog();
    ASSERT_TRUE(ui().Click(addNew));
    EXPECT_EQ(mainPage(), MainTabPage::kPurchasePage);
    EXPECT_TRUE(FindAs<COptionUI>(L"OptOfBuy")->IsSelected());
    EXPECT_EQ(goodsPage(), BuyPage::kDevicesGoods);
    EXPECT_EQ(buy->GoodsMode(), BuyPage::kDevicesGoods);
    EXPECT_EQ(window().Client().commerce.order.count, 1);
    ASSERT_TRUE(WaitFor(
        [&] { return !IsWaiting() && !control().RequestsTo("/api/qtz/front_device_buy_list").empty(); }));

    // One device's time left: the renewal of that device alone.
    ASSERT_TRUE(ui().Click(L"OptOfDevice"));
    ASSERT_TRUE(WaitFor([&] { return Tiles()->GetCount() > 1 && Part(0, L"BtnOfDeviceTimeLeft"); }));
    const int device = DeviceIndexOfTile(*Tiles()->GetItemAt(0));
    SetDeviceSelected(window().Client().devices, static_cast<std::size_t>(device == 0 ? 1 : 0), true);
    window().Paint().SendNotify(Part(0, L"BtnOfDeviceTimeLeft"), DUI_MSGTYPE_CLICK);
    EXPECT_EQ(mainPage(), MainTabPage::kPurchasePage);
    EXPECT_EQ(goodsPage(), BuyPage::kRenewalGoods);
    EXPECT_EQ(buy->GoodsMode(), BuyPage::kRenewalGoods);
    for (std::size_t i = 0; i < Devices().size(); ++i)
        EXPECT_EQ(Devices()[i].selected, static_cast<int>(i) == device) << i;
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));

    // Its install button: the market page, through its own menu entry.
    ASSERT_TRUE(ui().Click(L"OptOfDevice"));
    ASSERT_TRUE(WaitFor([&] { return Tiles()->GetCount() > 0 && Part(0, L"BtnOfDeviceInstall"); }));
    window().Paint().SendNotify(Part(0, L"BtnOfDeviceInstall"), DUI_MSGTYPE_CLICK);
    EXPECT_EQ(mainPage(), MainTabPage::kMarketPage);
    EXPECT_TRUE(FindAs<COptionUI>(L"OptOfAppTab")->IsSelected());
    EXPECT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    EXPECT_EQ(boxes().Count(), 0u) << (boxes().Count() ? Utf8OfWide(boxes().Boxes()[0].text) : std::string());
}

} // namespace
