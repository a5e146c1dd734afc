#include "app/window/Pages.h"

#include "account/AccountPage.h"
#include "account/SignPage.h"
#include "app/window/MainTabPage.h"
#include "app/window/StartupPage.h"
#include "commerce/BuyPage.h"
#include "devices/DevicePage.h"
#include "devices/control/DeviceControlPage.h"
#include "market/MarketPage.h"
#include "notify/NotifyPage.h"
#include "update/DownloadPage.h"

namespace {

template <class P> P& Add(std::vector<std::unique_ptr<IPage>>& pages, IShell& shell)
{
    auto page = std::make_unique<P>(shell);
    P& made = *page;
    pages.push_back(std::move(page));
    return made;
}

} // namespace

std::unique_ptr<PageSet> CreatePages(IShell& shell)
{
    std::vector<std::unique_ptr<IPage>> pages;
    // One line per page. The first loads of a sign-in start in this order
    // (the user information, the groups and then the devices, the purchase
    // plans, the catalogue, the messages); the sign-out empties the pages in
    // it too: devices and groups, then the plans and records, the market's
    // lists, the notifications. A route two pages share goes to the earlier
    // one first (the account page before the purchase page, the device list
    // before the device control).
    SignPage& sign = Add<SignPage>(pages, shell);
    MainTabPage& mainTab = Add<MainTabPage>(pages, shell);
    AccountPage& account = Add<AccountPage>(pages, shell);
    DevicePage& devices = Add<DevicePage>(pages, shell);
    BuyPage& commerce = Add<BuyPage>(pages, shell);
    MarketPage& market = Add<MarketPage>(pages, shell);
    NotifyPage& notices = Add<NotifyPage>(pages, shell);
    DeviceControlPage& control = Add<DeviceControlPage>(pages, shell);
    Add<DownloadPage>(pages, shell);
    Add<StartupPage>(pages, shell);
    return std::make_unique<PageSet>(
        PageSet { std::move(pages), sign, mainTab, account, devices, control, commerce, market, notices });
}
