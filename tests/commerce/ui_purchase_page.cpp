// The purchase page in the real window against korvana-service: plan and
// price tiles, amounts, the two input fields, renewal, the three payment
// kinds, the QR page and the record list, with PNGs of each page.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "app/ClientManager.h"
#include "app/window/CMainWnd.h"
#include "commerce/BuyPage.h"
#include "devices/DevicePage.h"
#include "platform/Utf8.h"
#include "tests/support/MainWindowTest.h"
#include "tests/support/QrDecode.h"
#include "ui/UIButton.h"
#include "ui/UIEdit.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UIOption.h"
#include "ui/UITabLayout.h"
#include "ui/UITileLayout.h"
#include "ui/internal/Render.h"

namespace {

using namespace korvana::test;
using namespace DuiLib;

class PurchasePageTest : public MainWindowTest {
protected:
    void SignIn()
    {
        control().Get("/__test/commerce/balance?user_id=42&points=1000");
        StartWindow();
        SignInAs(L"demo", L"korvana123");
        // The purchase plans load after the login.
        ASSERT_TRUE(WaitFor([&] { return FindAs<CTileLayoutUI>(L"TileOfMembership")->GetCount() > 0; }));
        // So do the device list and the other pages' first loads; clicks are
        // kept from the controls while any of them holds the wait state.
        // The tiles of the first page come before the list is whole; tests
        // that replace the list must wait for the load's end.
        ASSERT_TRUE(WaitFor([&] {
            const auto* devices = dynamic_cast<const DevicePage*>(&window().Devices());
            return devices && devices->FinishedLoads() > 0 && !IsWaiting();
        }));
    }

    void SetRechargePlans(const nlohmann::json& recharge)
    {
        control().Post("/__test/commerce/plans", nlohmann::json { { "recharge", recharge } }.dump());
    }

    void OpenRecharge()
    {
        ASSERT_TRUE(ui().Click(L"OptOfCharge"));
        ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
        ui().ProcessEvents(50);
    }

    void OpenDevicePurchase()
    {
        // Selecting the entry loads the plans again; its answer rebuilds the
        // tiles (and the amount) for the goods chosen by the click.
        const bool reloads = !FindAs<COptionUI>(L"OptOfBuy")->IsSelected();
        const int before = Page().FinishedPlanLoads();
        ASSERT_TRUE(ui().Click(L"OptOfBuy"));
        ASSERT_TRUE(WaitFor([&] {
            return (!reloads || Page().FinishedPlanLoads() > before)
                && FindAs<CTileLayoutUI>(L"TileOfPrice")->GetCount() > 0;
        }));
        ui().ProcessEvents(50);
    }

    BuyPage& Page() { return *dynamic_cast<BuyPage*>(&window().Commerce()); }
    OrderState& Order() { return window().Client().commerce.order; }
    std::wstring Payment() { return Find(L"LabOfPayment")->GetText(); }

    // Of controls sharing a name, the one shown.
    CControlUI* Shown(const std::wstring& name)
    {
        CControlUI* found = nullptr;
        window().Paint().GetRoot()->ForEach([&](CControlUI* c) {
            if (!found && c->GetName() == name && c->IsVisibleInTree())
                found = c;
        });
        return found;
    }

    CControlUI* Tile(const std::wstring& tileName, std::uintptr_t tag)
    {
        auto* tile = FindAs<CTileLayoutUI>(tileName);
        for (int i = 0; i < tile->GetCount(); ++i) {
            if (tile->GetItemAt(i)->GetTag() == tag)
                return tile->GetItemAt(i);
        }
        return nullptr;
    }

    // Replaces the field's text as a person would: emptied, then typed.
    void Retype(const std::wstring& edit, const std::wstring& text)
    {
        Find(edit)->SetText(L"");
        ASSERT_TRUE(ui().TypeText(edit, text));
        ui().ProcessEvents(20);
    }

    // Two devices of one plan type and one of another, as the device list
    // would hold them.
    void GiveDevices()
    {
        std::vector<DeviceRecord>& devices = window().Client().devices.devices;
        devices.resize(3);
        const wchar_t* ids[] = { L"12", L"15", L"13" };
        const wchar_t* types[] = { L"Lite", L"Lite", L"Pro" };
        for (int i = 0; i < 3; ++i) {
            devices[i].id = ids[i];
            devices[i].name = std::wstring(L"云手机") + ids[i];
            devices[i].bind_plan_type = types[i];
            devices[i].ip = L"10.0.0." + std::to_wstring(i + 1);
            devices[i].sn = std::wstring(L"VM00") + ids[i];
            devices[i].expiry_text = L"剩余29天";
        }
    }
};

TEST_F(PurchasePageTest, RechargePlansShowTheirAmountsAndCustomPointsGetTheBestDiscount)
{
    SignIn();
    SetRechargePlans({ { "price", { "100", "500" } }, { "discount", { "0.1", "0.09" } }, { "limit", "50" } });
    OpenRecharge();
    auto* tiles = FindAs<CTileLayoutUI>(L"TileOfCharge");
    ASSERT_EQ(tiles->GetCount(), 3);
    EXPECT_NE(tiles->GetItemAt(0)->GetText().find(L"¥ 10 </f>元"), std::wstring::npos);
    EXPECT_NE(tiles->GetItemAt(1)->GetText().find(L"¥ 45 </f>元"), std::wstring::npos);
    EXPECT_TRUE(FindAs<COptionUI>(L"CBoxOfCharge")->IsSelected());
    EXPECT_EQ(Payment(), L"10 元");
    EXPECT_EQ(Find(L"EditOfDefCharge")->GetText(), L"50");
    EXPECT_FALSE(Find(L"EditOfDefCharge")->IsMouseEnabled());
    ASSERT_TRUE(ui().Click(tiles->GetItemAt(1)));
    EXPECT_EQ(Payment(), L"45 元");
    EXPECT_EQ(Order().pointsText, L"500");
    EXPECT_TRUE(ui().SavePng(PngPath("purchase_points")));

    ASSERT_TRUE(ui().Click(L"CBoxOfDefCharge"));
    EXPECT_TRUE(Find(L"EditOfDefCharge")->IsMouseEnabled());
    // The minimum already in the field is what a custom order asks for.
    EXPECT_EQ(Order().rechargeKind, L"2");
    EXPECT_EQ(Order().pointsText, L"50");
    EXPECT_EQ(Payment(), L"50 元");
    Retype(L"EditOfDefCharge", L"600");
    EXPECT_EQ(Payment(), L"54 元");
    EXPECT_EQ(Order().pointsText, L"600");
    Retype(L"EditOfDefCharge", L"300");
    EXPECT_EQ(Payment(), L"30 元");
    Retype(L"EditOfDefCharge", L"50");
    EXPECT_EQ(Payment(), L"50 元");
    ui().PressKey(UIKEY_TAB);
    ui().ProcessEvents(20);
    EXPECT_EQ(boxes().Count(), 0u);

    Retype(L"EditOfDefCharge", L"49");
    EXPECT_EQ(Order().pointsText, L"50");
    ui().PressKey(UIKEY_TAB);
    ui().ProcessEvents(20);
    EXPECT_EQ(boxes().CountOf(L"自定义积分最低为50", L"提示"), 1u);
    EXPECT_EQ(Find(L"EditOfDefCharge")->GetText(), L"50");
    EXPECT_EQ(Payment(), L"50 元");
}

TEST_F(PurchasePageTest, TheCustomFieldKeepsOnlyWhatFitsThePattern)
{
    SignIn();
    OpenRecharge();
    ASSERT_TRUE(ui().Click(L"CBoxOfDefCharge"));
    Retype(L"EditOfDefCharge", L"0");
    EXPECT_EQ(Find(L"EditOfDefCharge")->GetText(), L"0");
    ASSERT_TRUE(ui().TypeText(L"EditOfDefCharge", L"5"));
    ui().ProcessEvents(20);
    EXPECT_EQ(Find(L"EditOfDefCharge")->GetText(), L"0");
    Retype(L"EditOfDefCharge", L"6x");
    EXPECT_EQ(Find(L"EditOfDefCharge")->GetText(), L"6");
}

// A tile showing "¥ 9.9" used to ask for "9 元": the amount went through a
// whole number.
TEST_F(PurchasePageTest, APresetAmountIsChargedExactlyAsShownAndPageOneShowsOnlyYuan)
{
    SignIn();
    SetRechargePlans({ { "price", { "99" } }, { "discount", { "0.1" } }, { "limit", "10" } });
    OpenRecharge();
    EXPECT_NE(Find(L"CBoxOfCharge")->GetText().find(L"¥ 9.9 "), std::wstring::npos);
    EXPECT_DOUBLE_EQ(Order().unitPrice, 9.9);
    EXPECT_EQ(Payment(), L"9.9 元");
    EXPECT_EQ(Order().pointsText, L"99");
    EXPECT_FALSE(Find(L"BtnOfPay")->IsVisible());
}

TEST_F(PurchasePageTest, WithoutPresetPlansTheCustomTileIsChosen)
{
    SignIn();
    SetRechargePlans(
        { { "price", nlohmann::json::array() }, { "discount", nlohmann::json::array() }, { "limit", "20" } });
    OpenRecharge();
    EXPECT_EQ(FindAs<CTileLayoutUI>(L"TileOfCharge")->GetCount(), 1);
    EXPECT_TRUE(FindAs<COptionUI>(L"CBoxOfDefCharge")->IsSelected());
    EXPECT_EQ(Order().rechargeKind, L"2");
    EXPECT_EQ(Order().pointsText, L"20");
    EXPECT_EQ(Payment(), L"20 元");
}

TEST_F(PurchasePageTest, DevicePricesTimesTheQuantityAndItsField)
{
    SignIn();
    OpenDevicePurchase();
    EXPECT_EQ(Page().GoodsMode(), BuyPage::kDevicesGoods);
    EXPECT_EQ(FindAs<CTileLayoutUI>(L"TileOfMembership")->GetCount(), 3);
    EXPECT_NE(Find(L"CBoxOfMembership")->GetText().find(L"Lite</f>设备"), std::wstring::npos);
    // Lite: 1, 7, 30 and 90 days; the first is chosen.
    EXPECT_EQ(FindAs<CTileLayoutUI>(L"TileOfPrice")->GetCount(), 4);
    EXPECT_EQ(Payment(), L"5 元（或消耗5积分）");
    CControlUI* month = Tile(L"TileOfPrice", 30);
    ASSERT_NE(month, nullptr);
    EXPECT_EQ(month->GetText(),
        L"<x 35><f 15>30天 / 台</f><f 12></f></x><p 5><x 15>所需积分<f 13> 100</f></x></p>");
    ASSERT_TRUE(ui().Click(month));
    ASSERT_TRUE(ui().Click(L"BtnOfIncreaseCount"));
    ASSERT_TRUE(ui().Click(L"BtnOfIncreaseCount"));
    EXPECT_EQ(Payment(), L"300 元（或消耗300积分）");
    EXPECT_EQ(Find(L"EditOfBuyCount")->GetText(), L"3");
    EXPECT_TRUE(ui().SavePng(PngPath("purchase_devices")));

    ASSERT_TRUE(ui().TypeText(L"EditOfBuyCount", L"a"));
    ui().ProcessEvents(20);
    EXPECT_EQ(Find(L"EditOfBuyCount")->GetText(), L"3");
    Retype(L"EditOfBuyCount", L"");
    ASSERT_TRUE(ui().TypeText(L"EditOfBuyCount", L"2"));
    EXPECT_EQ(Payment(), L"200 元（或消耗200积分）");
    Find(L"EditOfBuyCount")->SetText(L"");
    window().Paint().SendNotify(Find(L"EditOfBuyCount"), L"textchanged");
    EXPECT_EQ(Order().count, 1);
    EXPECT_EQ(Find(L"EditOfBuyCount")->GetText(), L"");
    EXPECT_EQ(Payment(), L"0 元（或消耗0积分）") << "no price for a quantity nobody typed";
    window().Paint().SendNotify(Find(L"EditOfBuyCount"), L"killfocus");
    EXPECT_EQ(Find(L"EditOfBuyCount")->GetText(), L"1");
    EXPECT_EQ(Payment(), L"100 元（或消耗100积分）");
    ASSERT_TRUE(ui().Click(L"BtnOfDecreaseCount"));
    EXPECT_EQ(Order().count, 1);

    // Another kind brings its own prices.
    auto* kinds = FindAs<CTileLayoutUI>(L"TileOfMembership");
    ASSERT_TRUE(ui().Click(kinds->GetItemAt(2)));
    EXPECT_EQ(Order().planType, L"Max");
    EXPECT_EQ(FindAs<CTileLayoutUI>(L"TileOfPrice")->GetCount(), 3);
    EXPECT_EQ(Payment(), L"80 元（或消耗80积分）");
}

// Long plans and dear prices: every word of a price tile stays inside it,
// clear of the tick of the chosen tile.
TEST_F(PurchasePageTest, ALargePriceFitsItsTile)
{
    control().Post("/__test/commerce/plans",
        R"([{"type": "Lite", "desc": "入门挂机", "price": {"1": "5", "365": "49995", "999": "99999"}}])");
    SignIn();
    OpenDevicePurchase();
    // The page's click loads the plans again; once that has rebuilt the
    // tiles, the choice below stays.
    ASSERT_TRUE(WaitForTasks(15000));
    auto* tiles = FindAs<CTileLayoutUI>(L"TileOfPrice");
    ASSERT_EQ(tiles->GetCount(), 3);
    ASSERT_TRUE(ui().Click(Tile(L"TileOfPrice", 365)));
    ASSERT_EQ(Order().days, 365);
    ui().ProcessEvents(20);
    EXPECT_TRUE(ui().SavePng(PngPath("purchase_large_price")));
    constexpr int kTick = 15; // the tick in the chosen tile's lower right corner
    for (std::uintptr_t days : { 1u, 365u, 999u }) {
        auto* tile = dynamic_cast<CButtonUI*>(Tile(L"TileOfPrice", days));
        ASSERT_NE(tile, nullptr);
        const RECT pos = tile->GetPos();
        RECT rc = pos;
        rc.top += 10; // PriceElement.xml's textpadding
        const auto layout = render::LayoutMarkup(
            &window().Paint(), rc, tile->GetText(), tile->GetFont(), 0xFF000000, tile->GetTextStyle());
        ASSERT_EQ(layout.lines.size(), 2u) << days;
        for (const auto& run : layout.runs) {
            EXPECT_GE(run.rc.left, pos.left) << days;
            EXPECT_LE(run.rc.right, pos.right - 4) << days << ": " << Utf8OfWide(run.text);
            EXPECT_LE(run.rc.bottom, pos.bottom) << days;
            // The tick is the triangle below the diagonal through its two ends.
            EXPECT_LE((run.rc.right - pos.right) + (run.rc.bottom - pos.bottom), -kTick)
                << days << " under the tick: " << Utf8OfWide(run.text);
        }
    }
    // So does the amount of ten such devices beside the payment buttons.
    Retype(L"EditOfBuyCount", L"10");
    CControlUI* payment = Find(L"LabOfPayment");
    EXPECT_EQ(payment->GetText(), L"499950 元（或消耗499950积分）");
    const RECT pos = payment->GetPos();
    const auto layout = render::LayoutMarkup(
        &window().Paint(), pos, payment->GetText(), payment->GetFont(), 0xFF000000, payment->GetTextStyle());
    ASSERT_EQ(layout.runs.size(), 1u);
    EXPECT_LE(layout.runs[0].rc.right, pos.right);
    EXPECT_TRUE(ui().SavePng(PngPath("purchase_large_amount")));
}

TEST_F(PurchasePageTest, APointsPurchaseSendsItsChoiceAndPaysAtOnce)
{
    SignIn();
    OpenDevicePurchase();
    ASSERT_TRUE(ui().Click(Tile(L"TileOfPrice", 30)));
    ASSERT_TRUE(ui().Click(L"BtnOfIncreaseCount"));
    ASSERT_TRUE(ui().Click(L"BtnOfIncreaseCount"));
    control().ClearLog();
    // The points are spent only after a yes to the amount.
    boxes().Answer(MessageBoxAnswer::Cancel);
    ASSERT_TRUE(ui().Click(L"BtnOfPay"));
    EXPECT_EQ(boxes().CountOf(L"确定使用账户积分支付300积分吗？", L"提示"), 1u);
    EXPECT_FALSE(IsWaiting());
    ui().ProcessEvents(50);
    EXPECT_TRUE(control().RequestsTo("/api/qtz/front_device_buy").empty());
    ASSERT_TRUE(ui().Click(L"BtnOfPay"));
    EXPECT_EQ(boxes().CountOf(L"确定使用账户积分支付300积分吗？", L"提示"), 2u);
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    auto log = control().RequestsTo("/api/qtz/front_device_buy");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].body, "&buy_type=1&type=Lite&day=30&quantity=3&fee_type=11");
    EXPECT_EQ(boxes().CountOf(L"购买成功", L"提示"), 1u);
    EXPECT_EQ(boxes().Count(), 3u);
    const auto balance = nlohmann::json::parse(control().Get("/__test/commerce/balance?user_id=42").body);
    EXPECT_EQ(balance["points"], 700);
    const auto devices = nlohmann::json::parse(control().Get("/__test/devices/state?user=42").body);
    EXPECT_EQ(devices["devices"].size(), 28u);
    // The balance and the device list are loaded again.
    EXPECT_TRUE(WaitFor([&] { return Find(L"LabOfBalanceInMainTab")->GetText() == L"可用积分 700"; }));
    EXPECT_TRUE(WaitFor([&] { return window().Client().devices.devices.size() == 28u; }));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    // As after every list load, the device page comes to the front.
    EXPECT_EQ(MainTabPage(), 2);

    // Too few points: the service's text in an error box.
    control().Get("/__test/commerce/balance?user_id=42&points=1");
    OpenDevicePurchase();
    ASSERT_TRUE(ui().Click(L"BtnOfPay"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    EXPECT_EQ(boxes().CountOf(L"积分不足，请先充值", L"错误"), 1u);
}

TEST_F(PurchasePageTest, RenewalTakesTheSelectedDevicesOfOneKindAndPaysByQrCode)
{
    SignIn();
    GiveDevices();
    std::vector<DeviceRecord>& devices = window().Client().devices.devices;
    for (DeviceRecord& device : devices)
        device.selected = true;
    window().Commerce().StartRenewal();
    EXPECT_EQ(boxes().CountOf(L"批量续费的必须为同类型设备！", L"错误"), 1u);
    EXPECT_NE(MainTabPage(), 3);

    devices[2].selected = false;
    window().Commerce().StartRenewal();
    ui().ProcessEvents(50);
    EXPECT_EQ(MainTabPage(), 3);
    EXPECT_EQ(FindAs<CTabLayoutUI>(L"TabOfGoods")->GetCurSel(), BuyPage::kRenewalGoods);
    auto* chosen = FindAs<CTileLayoutUI>(L"TileOfDeviceCharge");
    ASSERT_EQ(chosen->GetCount(), 2);
    EXPECT_EQ(chosen->GetItemAt(1)->GetToolTip(), L"Lite_15_10.0.0.2_VM0015");
    EXPECT_EQ(chosen->GetItemAt(1)->GetTag(), 1u);
    EXPECT_EQ(Order().count, 2);
    EXPECT_EQ(Order().planType, L"Lite");
    EXPECT_EQ(Payment(), L"10 元（或消耗10积分）");
    ASSERT_TRUE(ui().Click(Tile(L"TileOfDevicePrice", 90)));
    EXPECT_EQ(Payment(), L"540 元（或消耗540积分）");
    EXPECT_TRUE(ui().SavePng(PngPath("purchase_renewal")));

    // Unchecking a device takes it off the page and lowers the quantity.
    ASSERT_TRUE(ui().Click(chosen->GetItemAt(0)));
    ui().ProcessEvents(20);
    EXPECT_FALSE(devices[0].selected);
    EXPECT_EQ(chosen->GetCount(), 1);
    EXPECT_EQ(Order().count, 1);
    EXPECT_EQ(Payment(), L"5 元（或消耗5积分）");
    devices[0].selected = true;
    window().Commerce().StartRenewal();
    ASSERT_TRUE(ui().Click(Tile(L"TileOfDevicePrice", 90)));

    control().ClearLog();
    ASSERT_TRUE(ui().Click(L"BtnOfWeChatPay"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_buy").at(0).body,
        "&buy_type=2&id=12%2C15%2C&type=Lite&day=90&fee_type=32");
    EXPECT_EQ(FindAs<CTabLayoutUI>(L"TabOfBuy")->GetCurSel(), BuyPage::kQrPage);
    const std::wstring picture = Order().qrImagePath;
    ASSERT_FALSE(picture.empty());
    EXPECT_EQ(Find(L"CtrlOfQRCode")->GetBkImage(), picture);
    EXPECT_GT(window().Paint().GetImageSize(picture).cx, 0);
    EXPECT_EQ(DecodeQr(Utf8OfWide(picture)), "KORVANA-PAY:" + Utf8OfWide(Order().displayOrderId) + ":540");
    ui().ProcessEvents(100);
    EXPECT_TRUE(ui().SavePng(PngPath("purchase_qr")));
    // The first query finds it unpaid and shows nothing.
    ASSERT_TRUE(WaitFor([&] { return !control().RequestsTo("/api/qtz/front_device_query_order").empty(); }));
    EXPECT_EQ(boxes().Count(), 1u);

    // Paid by scanning: the next query reports it done.
    control().Post("/__test/commerce/pay?display_order_id=" + Utf8OfWide(Order().displayOrderId), "");
    ASSERT_TRUE(WaitFor([&] { return boxes().CountOf(L"订单已完成！", L"提示") == 1; }, 8000));
    // The paid order reloads the balance and the device list, whose end
    // brings the device page to the front; the purchase page's tab is reset.
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting() && MainTabPage() == 2; }));
    EXPECT_EQ(FindAs<CTabLayoutUI>(L"TabOfBuy")->GetCurSel(), BuyPage::kGoodsPage);
}

TEST_F(PurchasePageTest, ARenewalWithoutAPlanOfItsKindOffersNothingToPay)
{
    SignIn();
    GiveDevices();
    window().Client().devices.devices[2].bind_plan_type = L"Ultra";
    window().Client().devices.devices[2].selected = true;
    window().Commerce().StartRenewal();
    EXPECT_EQ(FindAs<CTileLayoutUI>(L"TileOfDevicePrice")->GetCount(), 0);
    EXPECT_EQ(Payment(), L"0 元（或消耗0积分）");
    control().ClearLog();
    ASSERT_TRUE(ui().Click(L"BtnOfPay"));
    EXPECT_EQ(boxes().CountOf(L"没有可续费的设备或适用的套餐！", L"提示"), 1u);
    EXPECT_TRUE(control().RequestsTo("/api/qtz/front_device_buy").empty());
    EXPECT_FALSE(IsWaiting());
}

TEST_F(PurchasePageTest, AQrAnswerWithoutPictureAndAWebRechargeOpeningItsPage)
{
    SignIn();
    OpenRecharge();
    ASSERT_TRUE(ui().Click(L"CBoxOfDefCharge"));
    Retype(L"EditOfDefCharge", L"600");
    control().ClearLog();
    ASSERT_TRUE(ui().Click(L"BtnOfAliPay"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    EXPECT_EQ(
        control().RequestsTo("/api/qtz/front_device_recharge").at(0).body, "&type=2&price=600&fee_type=25");
    ASSERT_EQ(urls().Urls().size(), 1u);
    EXPECT_EQ(urls().Urls()[0], Order().payUrl);
    EXPECT_EQ(boxes().Count(), 0u);

    // Without a browser the address is shown in a box to copy it from.
    urls().SetOpened(false);
    ASSERT_TRUE(ui().Click(L"BtnOfAliPay"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    ASSERT_EQ(boxes().Count(), 1u);
    EXPECT_EQ(boxes().Boxes()[0].caption, L"提示");
    EXPECT_NE(boxes().Boxes()[0].text.find(Order().payUrl), std::wstring::npos);
    boxes().Clear();
    urls().SetOpened(true);

    control().InjectFault({ { "path", "/api/qtz/front_device_recharge" }, { "times", 1 },
        { "body", R"({"status":true,"message":"{\"display_order_id\":\"KV77\"}"})" } });
    ASSERT_TRUE(ui().Click(L"BtnOfWeChatPay"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    EXPECT_EQ(FindAs<CTabLayoutUI>(L"TabOfBuy")->GetCurSel(), BuyPage::kQrPage);
    EXPECT_EQ(Find(L"CtrlOfQRCode")->GetBkImage(), L"");
    EXPECT_EQ(Find(L"CtrlOfQRCode")->GetText(), L"");

    // A text too long for a QR code: no picture, and the page says so.
    window().Paint().SendNotify(Shown(L"BtnOfBuyTab"), L"click");
    EXPECT_EQ(FindAs<CTabLayoutUI>(L"TabOfBuy")->GetCurSel(), BuyPage::kGoodsPage);
    control().InjectFault({ { "path", "/api/qtz/front_device_recharge" }, { "times", 1 },
        { "body",
            nlohmann::json { { "status", true },
                { "message",
                    nlohmann::json {
                        { "display_order_id", "KV78" }, { "config", std::string(100 * 1024, 'Q') } }
                        .dump() } }
                .dump() } });
    ASSERT_TRUE(ui().Click(L"BtnOfWeChatPay"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    EXPECT_EQ(Find(L"CtrlOfQRCode")->GetBkImage(), L"");
    EXPECT_EQ(Find(L"CtrlOfQRCode")->GetText(), L"二维码生成失败，请选择其他支付方式");
}

TEST_F(PurchasePageTest, FailedLoadsShowTheServicesTextAndAnExpiredSessionSignsOut)
{
    SignIn();
    control().InjectFault({ { "path", "/api/qtz/front_device_recharge_args" }, { "times", 1 },
        { "body", R"({"status":false,"message":"充值暂停"})" } });
    OpenRecharge();
    EXPECT_TRUE(WaitFor([&] { return boxes().CountOf(L"充值暂停", L"错误") == 1; }));
    control().InjectFault(
        { { "path", "/api/qtz/front_device_recharge_args" }, { "times", 1 }, { "kind", "not_json" } });
    ASSERT_TRUE(ui().Click(L"OptOfBuy"));
    ui().ProcessEvents(50);
    OpenRecharge();
    EXPECT_TRUE(WaitFor([&] { return boxes().CountOf(L"获取充值套餐失败！", L"错误") == 1; }));
    control().InjectFault({ { "path", "/api/qtz/front_device_recharge_args" }, { "times", 1 },
        { "body", R"({"status":false,"message":"-1000"})" } });
    ASSERT_TRUE(ui().Click(L"OptOfBuy"));
    ui().ProcessEvents(50);
    OpenRecharge();
    EXPECT_TRUE(WaitFor([&] { return boxes().CountOf(L"请重新登陆！", L"错误") == 1; }));
    EXPECT_EQ(MainWindowPage(), 0);
}

TEST_F(PurchasePageTest, RecordsFillTheListPageAfterPage)
{
    control().Post("/__test/commerce/records?user_id=42&count=25", "");
    SignIn();
    OpenDevicePurchase();
    ASSERT_TRUE(ui().Click(Shown(L"BtnOfOrderList")));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    EXPECT_EQ(FindAs<CTabLayoutUI>(L"TabOfBuy")->GetCurSel(), BuyPage::kRecordPage);
    EXPECT_EQ(FindAs<CTabLayoutUI>(L"TabOfRcord")->GetCurSel(), 0);
    auto* list = FindAs<CListUI>(L"ListOfOrder");
    ASSERT_EQ(list->GetCount(), 30);
    auto* last = dynamic_cast<CListTextElementUI*>(list->GetItemAt(29));
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->GetName(), L"ListElementOfOrder");
    EXPECT_EQ(last->GetTag(), 29u);
    EXPECT_EQ(last->GetText(1), L"注册赠送");
    EXPECT_EQ(last->GetText(2), L"+200");
    EXPECT_EQ(last->GetText(3), L"已完成");
    EXPECT_EQ(last->GetText(4), L"赠送");
    EXPECT_EQ(last->GetText(0), window().Client().commerce.records[29].date);
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_money_change_list").size(), 3u);
    ui().ProcessEvents(50);
    EXPECT_TRUE(ui().SavePng(PngPath("purchase_records")));

    ASSERT_TRUE(ui().Click(L"OptOfChargeRecord"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    ASSERT_EQ(list->GetCount(), 28);
    auto* recharge = dynamic_cast<CListTextElementUI*>(list->GetItemAt(27));
    EXPECT_EQ(recharge->GetText(1), L"钱包充值");
    EXPECT_EQ(recharge->GetText(4), L"微信扫码");
    ui().ProcessEvents(50);
    EXPECT_TRUE(ui().SavePng(PngPath("purchase_order_records")));

    control().InjectFault({ { "path", "/api/qtz/front_device_order_list" }, { "drop", true } });
    window().Paint().SendNotify(Find(L"OptOfChargeRecord"), L"selectchanged");
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    EXPECT_EQ(list->GetCount(), 0);
    EXPECT_EQ(FindAs<CTabLayoutUI>(L"TabOfRcord")->GetCurSel(), 1);
    EXPECT_EQ(boxes().Count(), 0u);
}

} // namespace
