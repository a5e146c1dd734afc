#include "app/window/Pages.h"

#include "account/AccountPage.h"
#include "account/SignPage.h"
#include "app/window/MainTabPage.h"
#include "commerce/BuyPage.h"
#include "devices/DevicePage.h"
#include "devices/control/DeviceControlPage.h"
#include "market/MarketPage.h"
#include "notify/NotifyPage.h"

std::vector<std::unique_ptr<IPage>> CreatePages(IShell& shell)
{
    std::vector<std::unique_ptr<IPage>> pages;
    // One line per page. The sign-out empties the pages in this order:
    // devices and groups, then the plans and records, the market's lists,
    // the notifications. A route two pages share goes to the earlier one
    // first (the account page before the purchase page, the device list
    // before the device control).
    pages.push_back(std::make_unique<SignPage>(shell));
    pages.push_back(std::make_unique<MainTabPage>(shell));
    pages.push_back(std::make_unique<DevicePage>(shell));
    pages.push_back(std::make_unique<AccountPage>(shell));
    pages.push_back(std::make_unique<BuyPage>(shell));
    pages.push_back(std::make_unique<MarketPage>(shell));
    pages.push_back(std::make_unique<NotifyPage>(shell));
    pages.push_back(std::make_unique<DeviceControlPage>(shell));
    return pages;
}
