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
    // One line per page.
    pages.push_back(std::make_unique<SignPage>(shell));
    pages.push_back(std::make_unique<MainTabPage>(shell));
    pages.push_back(std::make_unique<DevicePage>(shell));
    pages.push_back(std::make_unique<AccountPage>(shell));
    pages.push_back(std::make_unique<NotifyPage>(shell));
    pages.push_back(std::make_unique<MarketPage>(shell));
    pages.push_back(std::make_unique<BuyPage>(shell));
    pages.push_back(std::make_unique<DeviceControlPage>(shell));
    return pages;
}
