// The plan and record lists loaded again while the user clicks the purchase
// page. A load builds its list on its worker and the window swaps it in when
// the load reports: until then every click and every view works on the whole
// previous list. In the sanitizer build a worker that refills a list the
// window reads is a finding; in every build a click during a load still
// chooses what its tile shows.
#include <gtest/gtest.h>

#include "app/ClientManager.h"
#include "app/window/CMainWnd.h"
#include "commerce/BuyPage.h"
#include "devices/DevicePage.h"
#include "platform/Utf8.h"
#include "tests/support/MainWindowTest.h"
#include "ui/UIButton.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UITileLayout.h"

namespace {

using namespace korvana::test;
using namespace DuiLib;

constexpr const char* kBuyList = "/api/qtz/front_device_buy_list";
constexpr const char* kRechargeArgs = "/api/qtz/front_device_recharge_args";
constexpr const char* kOrderList = "/api/qtz/front_device_order_list";
constexpr const char* kPointList = "/api/qtz/front_device_money_change_list";

// The demo world: three device kinds, four recharge plans (minimum 50),
// five point movements and three orders.
const std::wstring kPlanTypes[] = { L"Lite", L"Pro", L"Max" };
constexpr std::size_t kPriceCounts[] = { 4, 4, 3 };
constexpr int kPointRecords = 5;
constexpr int kOrderRecords = 3;

class ReloadWhileBuyingTest : public MainWindowTest {
protected:
    void SignIn()
    {
        control().Get("/__test/commerce/balance?user_id=42&points=1000");
        StartWindow();
        SignInAs(L"demo", L"korvana123");
        ASSERT_TRUE(WaitFor([&] { return Page().FinishedPlanLoads() > 0; }));
        ASSERT_TRUE(WaitFor([&] {
            const auto* devices = dynamic_cast<const DevicePage*>(&window().Devices());
            return devices && devices->FinishedLoads() > 0 && !IsWaiting();
        }));
    }

    // The device kinds, with the plan load its click starts ended.
    void OpenDevicePurchase()
    {
        const int loads = Page().FinishedPlanLoads();
        ASSERT_TRUE(ui().Click(L"OptOfBuy"));
        ASSERT_TRUE(WaitFor([&] { return Page().FinishedPlanLoads() > loads; }));
        ASSERT_EQ(Tiles(L"TileOfMembership")->GetCount(), 3);
    }

    // The next answer of path comes after ms; true once the request is in
    // (the load that asked has begun).
    void StallNext(const char* path, int ms)
    {
        control().InjectFault({ { "path", path }, { "times", 1 }, { "delay_ms", ms } });
    }
    bool Asked(const char* path, std::size_t count)
    {
        return WaitFor([&] { return control().RequestsTo(path).size() >= count; });
    }

    BuyPage& Page() { return *dynamic_cast<BuyPage*>(&window().Commerce()); }
    CommerceMembers& Commerce() { return window().Client().commerce; }
    CTileLayoutUI* Tiles(const std::wstring& name) { return FindAs<CTileLayoutUI>(name); }
    CListUI* Records() { return FindAs<CListUI>(L"ListOfOrder"); }

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

    // Chooses the device kind of the tile and returns the plan type the
    // order then holds.
    std::wstring ChooseKind(int tile)
    {
        CControlUI* kind = Tiles(L"TileOfMembership")->GetItemAt(tile);
        EXPECT_NE(kind, nullptr);
        if (!kind || !ui().Click(kind))
            return std::wstring();
        return Commerce().order.planType;
    }
};

TEST_F(ReloadWhileBuyingTest, WhileALoadRunsTheWindowWorksOnTheWholePreviousList)
{
    SignIn();
    OpenDevicePurchase();

    // Purchase plans: a click during the load chooses its kind and shows
    // that kind's prices.
    control().ClearLog();
    StallNext(kBuyList, 1500);
    const int loads = Page().FinishedPlanLoads();
    Page().StartPurchasePlanLoad();
    ASSERT_TRUE(Asked(kBuyList, 1));
    EXPECT_EQ(Commerce().purchasePlans.size(), 3u);
    EXPECT_EQ(ChooseKind(2), L"Max");
    EXPECT_EQ(static_cast<std::size_t>(Tiles(L"TileOfPrice")->GetCount()), kPriceCounts[2]);
    EXPECT_EQ(ChooseKind(1), L"Pro");
    ASSERT_TRUE(WaitFor([&] { return Page().FinishedPlanLoads() > loads; }, 10000));
    // The new list's tiles, with its first kind chosen.
    EXPECT_EQ(Commerce().order.planType, L"Lite");
    EXPECT_EQ(Tiles(L"TileOfMembership")->GetCount(), 3);

    // Recharge plans: the previous plans and minimum stay until the answer.
    ASSERT_TRUE(ui().Click(L"OptOfCharge"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    ASSERT_EQ(Commerce().rechargePlans.size(), 4u);
    ASSERT_TRUE(ui().Click(L"OptOfBuy"));
    ui().ProcessEvents(50);
    StallNext(kRechargeArgs, 1500);
    const std::size_t asked = control().RequestsTo(kRechargeArgs).size();
    ASSERT_TRUE(ui().Click(L"OptOfCharge"));
    ASSERT_TRUE(Asked(kRechargeArgs, asked + 1));
    EXPECT_EQ(Commerce().rechargePlans.size(), 4u);
    EXPECT_EQ(Commerce().rechargeMinimum, 50);
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }, 10000));
    EXPECT_EQ(Commerce().rechargePlans.size(), 4u);

    // Records: the list shown and the records behind it stay one.
    ASSERT_TRUE(ui().Click(L"OptOfBuy"));
    ui().ProcessEvents(50);
    ASSERT_TRUE(ui().Click(Shown(L"BtnOfOrderList")));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    ASSERT_EQ(Records()->GetCount(), kPointRecords);
    StallNext(kOrderList, 1500);
    ASSERT_TRUE(ui().Click(L"OptOfChargeRecord"));
    ASSERT_TRUE(Asked(kOrderList, 1));
    EXPECT_EQ(Commerce().records.size(), static_cast<std::size_t>(kPointRecords));
    EXPECT_EQ(Records()->GetCount(), kPointRecords);
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }, 10000));
    EXPECT_EQ(Records()->GetCount(), kOrderRecords);
    EXPECT_EQ(Commerce().records.size(), static_cast<std::size_t>(kOrderRecords));
}

// Loads again and again, some asked for while one runs (those run once
// after it), with clicks on the kinds and their prices the whole time.
TEST_F(ReloadWhileBuyingTest, ClicksDuringRepeatedReloadsAlwaysChooseWhatTheirTileShows)
{
    SignIn();
    OpenDevicePurchase();
    constexpr int kRounds = 6;
    for (int round = 0; round < kRounds; ++round) {
        control().ClearLog();
        StallNext(kBuyList, 300);
        const int loads = Page().FinishedPlanLoads();
        Page().StartPurchasePlanLoad();
        // Every other round a second request waits for the first.
        const int expected = round % 2 == 0 ? 2 : 1;
        if (expected == 2)
            Page().StartPurchasePlanLoad();
        ASSERT_TRUE(Asked(kBuyList, 1));
        int clicks = 0;
        while (Page().FinishedPlanLoads() < loads + expected) {
            const int tile = (round + clicks) % 3;
            ASSERT_EQ(ChooseKind(tile), kPlanTypes[tile]) << "round " << round << ", click " << clicks;
            CTileLayoutUI* prices = Tiles(L"TileOfPrice");
            ASSERT_EQ(static_cast<std::size_t>(prices->GetCount()), kPriceCounts[tile]);
            ASSERT_TRUE(ui().Click(prices->GetItemAt(clicks % prices->GetCount())));
            EXPECT_GT(Commerce().order.unitPrice, 0);
            ++clicks;
            ui().ProcessEvents(10);
            ASSERT_LT(clicks, 2000);
        }
        EXPECT_GT(clicks, 0);
        EXPECT_EQ(control().RequestsTo(kBuyList).size(), static_cast<std::size_t>(expected));
        EXPECT_EQ(Commerce().purchasePlans.size(), 3u);
        EXPECT_EQ(Tiles(L"TileOfMembership")->GetCount(), 3);
    }

    // The record lists, switched back and forth: what is shown is always
    // the records of the load that reported last.
    ASSERT_TRUE(ui().Click(Shown(L"BtnOfOrderList")));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    for (int round = 0; round < kRounds; ++round) {
        const bool points = round % 2 == 1;
        StallNext(points ? kPointList : kOrderList, 200);
        ASSERT_TRUE(ui().Click(points ? L"OptOfPointRecord" : L"OptOfChargeRecord"));
        while (IsWaiting()) {
            ASSERT_EQ(static_cast<std::size_t>(Records()->GetCount()), Commerce().records.size());
            ui().ProcessEvents(10);
        }
        EXPECT_EQ(Records()->GetCount(), points ? kPointRecords : kOrderRecords);
        EXPECT_EQ(
            Commerce().records.size(), static_cast<std::size_t>(points ? kPointRecords : kOrderRecords));
    }
}

} // namespace

namespace {

// Plan loads that the sign-out stops say nothing: the load at sign-in, and
// either load started later, each held by the service.
TEST_F(ReloadWhileBuyingTest, PlanLoadsStoppedByTheSignOutShowNoBox)
{
    control().Get("/__test/commerce/balance?user_id=42&points=1000");
    StartWindow();
    // The device kinds the sign-in loads.
    StallNext(kBuyList, 2000);
    SignInAs(L"demo", L"korvana123");
    ASSERT_TRUE(Asked(kBuyList, 1));
    window().SignOut();
    ASSERT_TRUE(WaitForTasks(5000));
    EXPECT_EQ(boxes().Count(), 0u) << (boxes().Count() ? Utf8OfWide(boxes().Boxes()[0].text) : std::string());

    // The recharge plans, asked for later.
    SignInAs(L"demo", L"korvana123");
    ASSERT_TRUE(WaitForTasks(10000));
    const std::size_t asked = control().RequestsTo(kRechargeArgs).size();
    StallNext(kRechargeArgs, 2000);
    Page().StartRechargePlanLoad();
    ASSERT_TRUE(Asked(kRechargeArgs, asked + 1));
    window().SignOut();
    ASSERT_TRUE(WaitForTasks(5000));
    EXPECT_EQ(boxes().Count(), 0u) << (boxes().Count() ? Utf8OfWide(boxes().Boxes()[0].text) : std::string());
}

} // namespace
