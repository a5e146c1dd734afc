// 注销 and a sign-in as another user: nothing of the first account stays on
// screen or in the lists the next one uses.
#include <gtest/gtest.h>

#include "app/ClientManager.h"
#include "app/window/CMainWnd.h"
#include "devices/DevicePage.h"
#include "tests/support/MainWindowTest.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UIOption.h"
#include "ui/UITileLayout.h"

namespace {

using namespace korvana::test;
using namespace DuiLib;

class AccountSwitchTest : public MainWindowTest {
protected:
    void SignInAndLoad(const std::wstring& name)
    {
        const int before = Page()->FinishedLoads();
        SignInAs(name, L"korvana123");
        ASSERT_TRUE(WaitFor([&] { return Page()->FinishedLoads() > before && !IsWaiting(); }));
        ASSERT_TRUE(WaitForTasks());
        ui().ProcessEvents(20);
    }
    DevicePage* Page() { return dynamic_cast<DevicePage*>(&window().Devices()); }
    std::wstring Text(const std::wstring& name) const { return Find(name)->GetText(); }
    AppQuery LastQuery()
    {
        CatalogueMembers& catalogue = window().Client().catalogue;
        std::lock_guard lock(catalogue.lock);
        return catalogue.LastAppQuery;
    }
};

TEST_F(AccountSwitchTest, NothingOfTheFirstAccountStaysAfterASignInAsAnother)
{
    StartWindow();
    SignInAndLoad(L"demo");

    // What the first account leaves behind: a recharge minimum, a market
    // search, typed passwords and a group chosen in the sidebar.
    ASSERT_TRUE(ui().Click(L"OptOfCharge"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    ASSERT_EQ(window().Client().commerce.rechargeMinimum, 50);
    ASSERT_TRUE(ui().Click(L"OptOfAppTab"));
    ASSERT_TRUE(WaitFor([&] { return !IsWaiting(); }));
    ASSERT_TRUE(ui().TypeText(L"EditOfAppSearch", L"社区"));
    ASSERT_TRUE(WaitForTasks());
    ASSERT_FALSE(LastQuery().sql.empty());
    ASSERT_TRUE(ui().Click(L"OptOfAccount"));
    for (const wchar_t* edit : { L"EditOfOldPwd", L"EditOfNewPwd", L"EditOfVerifyPwd" })
        ASSERT_TRUE(ui().TypeText(edit, L"secret1"));
    ASSERT_TRUE(WaitForTasks());
    ASSERT_TRUE(ui().Click(L"OptOfDevice"));
    auto* selector = FindAs<CListUI>(L"ListOfDeviceGroupSel");
    ASSERT_TRUE(selector->SelectItem(1));
    ASSERT_EQ(Page()->CurrentGroupIndex(), 1);
    ASSERT_TRUE(ui().TypeText(L"EditOfSearch", L"手机"));

    window().SignOut();
    EXPECT_EQ(window().Client().commerce.rechargeMinimum, 0);
    EXPECT_TRUE(LastQuery().sql.empty());
    EXPECT_TRUE(LastQuery().texts.empty());
    for (const wchar_t* edit : { L"EditOfOldPwd", L"EditOfNewPwd", L"EditOfVerifyPwd", L"EditOfAppSearch",
             L"EditOfSearch", L"EditOfNickName", L"EditOfInvitationCode", L"LabOfBalance" })
        EXPECT_EQ(Text(edit), L"") << edit;

    // 张三 has one group of his own and devices outside it.
    control().Post("/__test/devices/generate?user=43&count=3", "");
    SignInAndLoad(L"张三");
    EXPECT_EQ(Page()->CurrentGroupIndex(), 0);
    EXPECT_EQ(selector->GetCurSel(), 0);
    EXPECT_EQ(Text(L"OptOfAllDevice"), L"我的设备");
    EXPECT_TRUE(FindAs<COptionUI>(L"OptOfAllDevice")->IsSelected());
    EXPECT_EQ(FindAs<CTileLayoutUI>(L"TileOfDevice")->GetCount(), 3) << "the ungrouped devices are shown";
    for (const wchar_t* edit :
        { L"EditOfOldPwd", L"EditOfNewPwd", L"EditOfVerifyPwd", L"EditOfAppSearch", L"EditOfSearch" })
        EXPECT_EQ(Text(edit), L"") << edit;
    EXPECT_EQ(Text(L"LabOfUserNameInMainTab"), L"张三");
    // The login's 热门 loads again, whatever the market showed before.
    EXPECT_TRUE(FindAs<COptionUI>(L"OptOfHot")->IsSelected());
    EXPECT_GT(FindAs<CTileLayoutUI>(L"TileOfGame")->GetCount(), 0);
    EXPECT_EQ(boxes().Count(), 0u);
}

} // namespace
