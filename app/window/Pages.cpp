#include "app/window/Pages.h"

#include "account/SignPage.h"
#include "app/window/MainTabPage.h"
#include "devices/control/DeviceControlPage.h"

std::vector<std::unique_ptr<IPage>> CreatePages(IShell& shell)
{
    std::vector<std::unique_ptr<IPage>> pages;
    // One line per page.
    pages.push_back(std::make_unique<SignPage>(shell));
    pages.push_back(std::make_unique<MainTabPage>(shell));
    pages.push_back(std::make_unique<DeviceControlPage>(shell));
    return pages;
}
