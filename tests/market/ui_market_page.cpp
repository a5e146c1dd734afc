// The app page of the real window against korvana-service: the first
// synchronisation and the hot view, the category tags and groups, the search,
// the install column and its checks, and the marks across a restart.
#include <gtest/gtest.h>

#include <ctime>
#include <nlohmann/json.hpp>

#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/Messages.h"
#include "app/window/CMainWnd.h"
#include "market/AppQueries.h"
#include "market/CatalogueSync.h"
#include "market/MarketPage.h"
#include "tests/support/MainWindowTest.h"
#include "ui/UICheckBox.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UIOption.h"
#include "ui/UITabLayout.h"
#include "ui/UITileLayout.h"
#include "ui/internal/Render.h"

namespace {

using namespace korvana::test;
using namespace DuiLib;
using nlohmann::json;

class MarketPageTest : public MainWindowTest {
protected:
    // Signs in, waits for the first synchronisation and opens the app page.
    void OpenMarket()
    {
        StartWindow();
        SignInAs(L"demo", L"korvana123");
        ASSERT_EQ(MainWindowPage(), 1);
        window().Client().user.userId = "42";
        ASSERT_TRUE(WaitFor([&] { return Find(L"BtnOfAppRefresh")->IsEnabled(); }, 20000));
        ASSERT_TRUE(WaitForTasks(10000));
        ASSERT_TRUE(ui().Click(L"OptOfAppTab"));
        ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
        ASSERT_TRUE(WaitForTasks());
        ASSERT_EQ(MainTabPage(), 5);
    }
    CTileLayoutUI* IconTile() const
    {
        return dynamic_cast<CTileLayoutUI*>(FindAs<CTabLayoutUI>(L"TabOfAppList")->GetItemAt(0));
    }
    int AppTab() const { return FindAs<CTabLayoutUI>(L"TabOfAppList")->GetCurSel(); }
    std::vector<std::wstring> IconNames() const
    {
        std::vector<std::wstring> names;
        CTileLayoutUI* tile = IconTile();
        for (int i = 0; i < tile->GetCount(); ++i)
            names.push_back(tile->GetItemAt(i)->FindSubControl(L"CBoxOfGame")->GetText());
        return names;
    }
    void Settle()
    {
        WaitForTasks();
        ui().ProcessEvents(50);
    }
    void SeedTree()
    {
        json categories = json::array({ { { "id", 1 }, { "pId", 0 }, { "name", "应用" } },
            { { "id", 112 }, { "pId", 0 }, { "name", "游戏" } },
            { { "id", 11 }, { "pId", 1 }, { "name", "社交" } },
            { { "id", 12 }, { "pId", 1 }, { "name", "工具" } },
            { { "id", 1101 }, { "pId", 11 }, { "name", "聊天" } },
            { { "id", 1102 }, { "pId", 11 }, { "name", "社区" } },
            { { "id", 1201 }, { "pId", 12 }, { "name", "系统" } } });
        json apps = json::array();
        int id = 1;
        auto add = [&](int count, int category, const std::string& prefix) {
            for (int i = 0; i < count; ++i, ++id)
                apps.push_back({ { "id", id }, { "name", prefix + std::to_string(i) }, { "version", "1.0" },
                    { "category", category } });
        };
        add(7, 1102, "社区");
        add(3, 1101, "聊天");
        add(70, 1201, "系统");
        apps.push_back(
            { { "id", id }, { "name", "Tom's 厨房" }, { "version", "2.0" }, { "category", 1101 } });
        ASSERT_EQ(control()
                      .Post("/__test/apps/catalogue",
                          json({ { "categories", categories }, { "apps", apps } }).dump())
                      .status,
            200);
    }
};

TEST_F(MarketPageTest, TheFirstSynchronisationFillsTheHotViewWithIcons)
{
    OpenMarket();
    EXPECT_EQ(AppTab(), MarketPage::kIconPage);
    std::vector<std::wstring> names = IconNames();
    ASSERT_FALSE(names.empty());
    EXPECT_LE(names.size(), 100u);
    CControlUI* box = IconTile()->GetItemAt(0)->FindSubControl(L"CBoxOfGame");
    EXPECT_NE(box->GetForeImage().find(GetLocalPaths().iconCache.wide), std::wstring::npos);
    EXPECT_EQ(box->GetToolTip(), box->GetText());
    EXPECT_FALSE(IconTile()->GetItemAt(0)->FindSubControl(L"LabOfAppVersion")->GetText().empty());
    EXPECT_FALSE(Find(L"BtnOfDelLocalApp")->IsVisible());
    // The spinner ran and stopped on a frame of its own.
    EXPECT_NE(
        Find(L"BtnOfAppRefresh")->GetDisabledImage().find(L"sinchronize_30_white_"), std::wstring::npos);
    // One synchronisation only, though the login and the page both ran.
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_app_category").size(), 1u);
    EXPECT_TRUE(ui().SavePng(PngPath("market_hot")));
}

TEST_F(MarketPageTest, TheAppsViewShowsTagsAndOneGroupThenASubcategoryByItsCategories)
{
    SeedTree();
    OpenMarket();
    ASSERT_TRUE(ui().Click(L"OptOfApp"));
    Settle();
    EXPECT_EQ(AppTab(), MarketPage::kCategoryPage);
    auto* tags = FindAs<CTileLayoutUI>(L"TileOfLetterTag");
    ASSERT_EQ(tags->GetCount(), 3);
    EXPECT_EQ(tags->GetItemAt(0)->GetText(), L"热门");
    EXPECT_EQ(tags->GetItemAt(1)->GetText(), L"社交");
    EXPECT_EQ(tags->GetItemAt(2)->GetText(), L"工具");
    EXPECT_TRUE(dynamic_cast<COptionUI*>(tags->GetItemAt(0))->IsSelected());
    auto* groups = FindAs<CListUI>(L"ListOfGameTile");
    ASSERT_EQ(groups->GetCount(), 1);
    EXPECT_EQ(groups->GetItemAt(0)->FindSubControl(L"OptOfTag")->GetText(), L"应用");
    EXPECT_EQ(groups->GetItemAt(0)->FindSubControlAs<CTileLayoutUI>(L"TileOfGame")->GetCount(), 60);
    EXPECT_EQ(groups->GetItemAt(0)->GetFixedHeight(), 12 * 80 + 30);

    ASSERT_TRUE(ui().Click(tags->GetItemAt(1)));
    Settle();
    ASSERT_EQ(groups->GetCount(), 2);
    EXPECT_EQ(groups->GetItemAt(0)->FindSubControl(L"OptOfTag")->GetText(), L"聊天");
    EXPECT_EQ(groups->GetItemAt(1)->FindSubControl(L"OptOfTag")->GetText(), L"社区");
    EXPECT_EQ(groups->GetItemAt(1)->FindSubControlAs<CTileLayoutUI>(L"TileOfGame")->GetCount(), 7);
    EXPECT_EQ(groups->GetItemAt(1)->GetFixedHeight(), 190);
    EXPECT_EQ(groups->GetItemAt(0)->GetFixedHeight(), 110);
    EXPECT_TRUE(ui().SavePng(PngPath("market_category")));

    // A main category without sub-categories: the empty page of the tab.
    ASSERT_TRUE(ui().Click(L"OptOfGame"));
    Settle();
    EXPECT_EQ(FindAs<CTabLayoutUI>(L"TabOfSubTypeAppList")->GetCurSel(), MarketPage::kNoGroupsPage);
}

TEST_F(MarketPageTest, TypingSearchesForEveryChangeAndAQuoteFindsItsApp)
{
    SeedTree();
    OpenMarket();
    control().ClearLog();
    ui().ClearNotifications();
    ASSERT_TRUE(ui().TypeText(L"EditOfAppSearch", L"社区"));
    Settle();
    EXPECT_EQ(ui().CountOf(L"textchanged", L"EditOfAppSearch"), 2);
    EXPECT_EQ(IconNames().size(), 7u);
    EXPECT_TRUE(FindAs<COptionUI>(L"OptOfSearch")->IsSelected());
    EXPECT_FALSE(FindAs<COptionUI>(L"OptOfHot")->IsSelected());
    EXPECT_EQ(window().Paint().GetFocus(), Find(L"EditOfAppSearch"));

    Find(L"EditOfAppSearch")->SetText(L"");
    ASSERT_TRUE(ui().TypeText(L"EditOfAppSearch", L"'"));
    Settle();
    EXPECT_EQ(IconNames(), std::vector<std::wstring> { L"Tom's 厨房" });
    EXPECT_TRUE(ui().SavePng(PngPath("market_search")));

    ASSERT_TRUE(ui().TypeText(L"EditOfAppSearch", L"zz"));
    Settle();
    EXPECT_EQ(AppTab(), MarketPage::kNothingFoundPage);

    // Another view: the box no longer shows a text its list does not follow.
    ASSERT_TRUE(ui().Click(L"OptOfHot"));
    Settle();
    EXPECT_EQ(Find(L"EditOfAppSearch")->GetText(), L"");
    EXPECT_EQ(AppTab(), MarketPage::kIconPage);
}

TEST_F(MarketPageTest, AnEmptyDeviceChoicePointsTheWayToTheDeviceBatchMode)
{
    OpenMarket();
    EXPECT_EQ(FindAs<CListUI>(L"ListOfSelectedDevice")->GetCount(), 0);
    CControlUI* hint = Find(L"LabOfChooseDevicesHint");
    EXPECT_TRUE(hint->IsVisibleInTree());
    // The hint is read whole, in as many lines as its column needs.
    const RECT box = hint->GetPos();
    const auto layout = render::LayoutMarkup(
        &window().Paint(), box, hint->GetText(), hint->GetFont(), 0xFF000000, hint->GetTextStyle());
    for (const auto& run : layout.runs) {
        EXPECT_LE(run.rc.right, box.right);
        EXPECT_LE(run.rc.bottom, box.bottom);
    }
    EXPECT_TRUE(ui().SavePng(PngPath("market_device_hint")));
    ASSERT_TRUE(ui().Click(L"BtnOfChooseDevices"));
    EXPECT_EQ(MainTabPage(), 2);
    EXPECT_TRUE(FindAs<CCheckBoxUI>(L"CBoxOfBatOpt")->IsSelected());
    EXPECT_TRUE(Find(L"HLayOfBatOpt")->IsVisible()) << "the batch bar with 安装应用";

    // Devices chosen: the list shows them and the hint goes.
    std::vector<DeviceRecord>& devices = window().Client().devices.devices;
    ASSERT_FALSE(devices.empty());
    devices[0].selected = true;
    ASSERT_TRUE(ui().Click(L"BtnOfInstall"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    Settle();
    EXPECT_EQ(MainTabPage(), 5);
    EXPECT_EQ(FindAs<CListUI>(L"ListOfSelectedDevice")->GetCount(), 1);
    EXPECT_FALSE(Find(L"LabOfChooseDevicesHint")->IsVisible());
}

TEST_F(MarketPageTest, TheInstallColumnListsTheChoicesAndChecksThemBeforeTheRequest)
{
    OpenMarket();
    ASSERT_TRUE(ui().Click(L"BtnOfConfirmInstall"));
    EXPECT_EQ(boxes().CountOf(L"请至少选择一个设备进行安装！", L"提示"), 1u);

    // Tick two apps on their icons.
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(ui().Click(IconTile()->GetItemAt(i)->FindSubControl(L"CBoxOfGame")));
        ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
        Settle();
    }
    EXPECT_TRUE(
        dynamic_cast<CCheckBoxUI*>(IconTile()->GetItemAt(0)->FindSubControl(L"CBoxOfGame"))->IsSelected());
    auto* apps = FindAs<CListUI>(L"ListOfSelectedApp");
    EXPECT_EQ(apps->GetCount(), 2);

    ASSERT_TRUE(ui().Click(L"BtnOfConfirmInstall"));
    EXPECT_EQ(boxes().CountOf(L"请至少选择一个设备进行安装！", L"提示"), 2u);

    std::vector<DeviceRecord>& devices = window().Client().devices.devices;
    devices.resize(3);
    for (int i = 0; i < 3; ++i) {
        devices[i].id = std::to_wstring(i + 1);
        devices[i].name = L"云手机0" + std::to_wstring(i + 1);
        devices[i].selected = i != 1;
    }
    ASSERT_TRUE(ui().Click(L"OptOfDevice"));
    ASSERT_TRUE(ui().Click(L"OptOfAppTab"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    Settle();
    auto* deviceList = FindAs<CListUI>(L"ListOfSelectedDevice");
    ASSERT_EQ(deviceList->GetCount(), 2);
    EXPECT_EQ(deviceList->GetItemAt(1)->FindSubControl(L"BtnOfInstallListElement")->GetText(), L"云手机03");
    // The delete button shows under the mouse only.
    CControlUI* remove = deviceList->GetItemAt(0)->FindSubControl(L"BtnOfDelInstallListDeviceElement");
    EXPECT_FALSE(remove->IsVisible());
    ui().MoveTo(ui().CentreOf(deviceList->GetItemAt(0)));
    ui().ProcessEvents(20);
    EXPECT_TRUE(remove->IsVisible());
    EXPECT_TRUE(ui().SavePng(PngPath("market_install")));

    control().ClearLog();
    ASSERT_TRUE(ui().Click(L"BtnOfConfirmInstall"));
    ASSERT_TRUE(
        WaitFor([&] { return boxes().CountOf(L"正在安装应用，请耐心等候安装完成！", L"提示") == 1; }));
    auto log = control().RequestsTo("/api/qtz/front_app_install");
    ASSERT_EQ(log.size(), 1u);
    const std::vector<AppRecord>& selected = window().Client().catalogue.SelectedApps;
    EXPECT_EQ(log[0].body,
        "id=1%2C3%2C&app_id=" + std::to_string(selected[0].id) + "%2C" + std::to_string(selected[1].id)
            + "%2C");

    // Removing one device, then every app.
    ui().MoveTo(ui().CentreOf(deviceList->GetItemAt(0)));
    ui().ProcessEvents(20);
    ASSERT_TRUE(ui().Click(remove));
    EXPECT_EQ(deviceList->GetCount(), 1);
    EXPECT_FALSE(devices[0].selected);
    ASSERT_TRUE(ui().Click(L"BtnOfDelAllInstallListAppElement"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    Settle();
    EXPECT_EQ(apps->GetCount(), 0);
    ASSERT_TRUE(ui().Click(L"BtnOfConfirmInstall"));
    EXPECT_EQ(boxes().CountOf(L"请至少选择一个应用进行安装！", L"提示"), 1u);
}

TEST_F(MarketPageTest, UploadChecksTheLimitAndTheDevicesBeforeTheDialog)
{
    OpenMarket();
    FileChooserStub chooser(L"");
    ASSERT_GE(IconNames().size(), 30u);
    ASSERT_TRUE(ui().Click(L"BtnOfUploadLocalApp"));
    EXPECT_EQ(boxes().CountOf(L"应用市场最多上传30个应用！", L"提示"), 1u);
    EXPECT_TRUE(chooser.Titles().empty());

    ASSERT_TRUE(ui().Click(L"OptOfLocal"));
    Settle();
    EXPECT_TRUE(Find(L"BtnOfDelLocalApp")->IsVisible());
    EXPECT_EQ(IconNames().size(), 2u);
    ASSERT_TRUE(ui().Click(L"BtnOfUploadLocalApp"));
    EXPECT_EQ(boxes().CountOf(L"请至少选择一个设备进行上传！", L"提示"), 1u);
    window().Client().devices.devices.resize(1);
    window().Client().devices.devices[0].id = L"1";
    window().Client().devices.devices[0].selected = true;
    ASSERT_TRUE(ui().Click(L"OptOfDevice"));
    ASSERT_TRUE(ui().Click(L"OptOfAppTab"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    Settle();
    ASSERT_TRUE(ui().Click(L"BtnOfUploadLocalApp"));
    ASSERT_EQ(chooser.Titles().size(), 1u);
    EXPECT_EQ(chooser.Titles()[0], L"请选择上传文件");
    // Cancelled: nothing is sent.
    Settle();
    EXPECT_TRUE(control().RequestsTo("/api/qtz/front_device_file_upload").empty());
}

TEST_F(MarketPageTest, TickedAppsSurviveARestartAndSelectedDevicesDoNot)
{
    OpenMarket();
    ASSERT_TRUE(ui().Click(IconTile()->GetItemAt(0)->FindSubControl(L"CBoxOfGame")));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    Settle();
    const std::int32_t ticked = window().Client().catalogue.SelectedApps.at(0).id;
    window().Client().devices.devices.resize(1);
    window().Client().devices.devices[0].selected = true;
    EndWindow();

    // The server's catalogue changes meanwhile, so the row is not rewritten.
    control().InjectFault({ { "path", "/api/qtz/front_app_list" }, { "drop", true } });
    OpenMarket();
    const std::vector<AppRecord>& selected = window().Client().catalogue.SelectedApps;
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0].id, ticked);
    EXPECT_EQ(FindAs<CListUI>(L"ListOfSelectedApp")->GetCount(), 1);
    EXPECT_EQ(FindAs<CListUI>(L"ListOfSelectedDevice")->GetCount(), 0);
}

TEST_F(MarketPageTest, TheRefreshButtonSpinsWhileASynchronisationOfANewGenerationRuns)
{
    OpenMarket();
    CControlUI* refresh = Find(L"BtnOfAppRefresh");
    // An old generation, so the click's new one shows.
    window().Client().RefreshStamp = 1000;
    const auto before = static_cast<std::int64_t>(std::time(nullptr));
    control().ClearLog();
    control().InjectFault({ { "path", "/api/qtz/front_app_category" }, { "delay_ms", 400 }, { "times", 1 } });
    ASSERT_TRUE(ui().Click(L"BtnOfAppRefresh"));
    EXPECT_FALSE(refresh->IsEnabled());
    const std::wstring first = refresh->GetDisabledImage();
    ASSERT_TRUE(WaitFor([&] { return refresh->GetDisabledImage() != first; }, 2000));
    EXPECT_EQ(
        refresh->GetDisabledImage().rfind(L"' dest='0,0,30,30'"), refresh->GetDisabledImage().size() - 18);
    // Disabled: a second click starts nothing.
    ui().Click(L"BtnOfAppRefresh");
    ASSERT_TRUE(WaitFor([&] { return refresh->IsEnabled(); }, 20000));
    Settle();
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_app_category").size(), 1u);
    // The click stamped a new generation, and every app row carries it.
    const std::int64_t stamp = window().Client().RefreshStamp;
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, static_cast<std::int64_t>(std::time(nullptr)));
    std::vector<int> generations;
    if (auto statement
        = window().Client().catalogue.database.Prepare("select distinct timestamp from t_game")) {
        while (statement->NextRow())
            generations.push_back(statement->ColumnInt(0));
    }
    EXPECT_EQ(generations, std::vector<int> { static_cast<int>(static_cast<std::int32_t>(stamp)) });
    // The view on screen was drawn again from the refreshed rows.
    EXPECT_EQ(AppTab(), MarketPage::kIconPage);
    EXPECT_FALSE(IconNames().empty());
}

TEST_F(MarketPageTest, MyAppsWithoutUploadsShowsTheEmptyPageAndKeepsTheDeleteButton)
{
    OpenMarket();
    window().Client().user.userId = "43";
    ASSERT_TRUE(ui().Click(L"OptOfLocal"));
    Settle();
    EXPECT_EQ(AppTab(), MarketPage::kNothingFoundPage);
    EXPECT_TRUE(Find(L"BtnOfDelLocalApp")->IsVisible());
    // Nothing ticked: the delete asks nothing of the service.
    ASSERT_TRUE(ui().Click(L"BtnOfDelLocalApp"));
    Settle();
    EXPECT_TRUE(control().RequestsTo("/api/qtz/front_app_del").empty());
    ASSERT_TRUE(ui().Click(L"OptOfHot"));
    Settle();
    EXPECT_FALSE(Find(L"BtnOfDelLocalApp")->IsVisible());
    EXPECT_EQ(AppTab(), MarketPage::kIconPage);
}

} // namespace
