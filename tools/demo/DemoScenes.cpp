#include "tools/demo/DemoScenes.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "app/ClientManager.h"
#include "app/window/CMainWnd.h"
#include "ui/UIAutomation.h"
#include "ui/UICheckBox.h"
#include "ui/UIControl.h"
#include "ui/UIManager.h"
#include "ui/UITabLayout.h"
#include "ui/UITileLayout.h"

bool DemoContext::WaitFor(const std::function<bool()>& cond, int timeoutMs)
{
    return ui.WaitUntil(cond, timeoutMs);
}

bool DemoContext::WaitIdle(int timeoutMs)
{
    return WaitFor([&] { return !window.Paint().IsWaitCursor(); }, timeoutMs);
}

int DemoContext::MainWindowPage() const
{
    auto* tab = window.Paint().FindControlAs<DuiLib::CTabLayoutUI>(L"TabOfMainWnd");
    return tab ? tab->GetCurSel() : -1;
}

namespace {

bool SignInPage(DemoContext& demo)
{
    return demo.WaitIdle() && demo.MainWindowPage() == 0;
}

bool SignIn(DemoContext& demo)
{
    // Typed key by key into the fields, then the button, as a person would.
    if (!demo.ui.TypeText(L"EditOfLoginName", demo.user)
        || !demo.ui.TypeText(L"EditOfLoginPwd", demo.password))
        return false;
    if (!demo.ui.Click(L"BtnOfLogin"))
        return false;
    if (!demo.WaitFor([&] { return demo.MainWindowPage() == 1; }))
        return false;
    // Let the first loads of the main page arrive before the picture.
    demo.ui.ProcessEvents(500);
    return demo.WaitIdle();
}

// The device page with fresh screenshots on the tiles in view.
bool DeviceTiles(DemoContext& demo)
{
    auto* tiles = demo.window.Paint().FindControlAs<DuiLib::CTileLayoutUI>(L"TileOfDevice");
    if (!tiles || tiles->GetCount() == 0)
        return false;
    for (int i = 0; i < std::min(tiles->GetCount(), 8); ++i) {
        DuiLib::CControlUI* button = tiles->GetItemAt(i)->FindSubControl(L"BtnOfScreenshot");
        if (!button || !demo.ui.Click(button) || !demo.WaitFor([&] { return button->IsEnabled(); }))
            return false;
    }
    demo.ui.ProcessEvents(100);
    return true;
}

bool AccountPage(DemoContext& demo)
{
    // The user's picture, nickname and balance arrive after the login.
    if (!demo.ui.Click(L"OptOfAccount"))
        return false;
    demo.ui.ProcessEvents(300);
    return demo.WaitIdle();
}

bool Notices(DemoContext& demo)
{
    // The first poll ran at the login; the demo's notices have unread ones.
    if (!demo.ui.Click(L"OptOfNotify"))
        return false;
    auto* list = demo.window.Paint().FindControlAs<DuiLib::CContainerUI>(L"ListOfNotify");
    return demo.WaitFor([&] { return list && list->GetCount() > 0; }) && (demo.ui.ProcessEvents(100), true);
}

// The app market after the first synchronisation: the hot view with its
// icons, two apps ticked into the install column.
bool MarketScene(DemoContext& demo)
{
    auto* refresh = demo.window.Paint().FindControl(L"BtnOfAppRefresh");
    if (!refresh || !demo.WaitFor([&] { return refresh->IsEnabled(); }, 60000))
        return false;
    if (!demo.ui.Click(L"OptOfAppTab") || !demo.WaitIdle())
        return false;
    auto* list = demo.window.Paint().FindControlAs<DuiLib::CTabLayoutUI>(L"TabOfAppList");
    auto* tile = list ? dynamic_cast<DuiLib::CContainerUI*>(list->GetItemAt(0)) : nullptr;
    if (!tile || !demo.WaitFor([&] { return tile->GetCount() > 2; }))
        return false;
    for (int i = 0; i < 2; ++i) {
        if (!demo.ui.Click(tile->GetItemAt(i)->FindSubControl(L"CBoxOfGame")) || !demo.WaitIdle())
            return false;
        demo.ui.ProcessEvents(200);
    }
    return demo.WaitIdle();
}

bool PurchasePage(DemoContext& demo)
{
    // 添加设备 reloads the plans; the 30-day price of the first kind, two devices.
    auto* prices = demo.window.Paint().FindControlAs<DuiLib::CTileLayoutUI>(L"TileOfPrice");
    if (!prices || !demo.ui.Click(L"OptOfBuy"))
        return false;
    if (!demo.WaitFor([&] { return prices->GetCount() > 2; }))
        return false;
    demo.ui.ProcessEvents(100);
    return demo.ui.Click(prices->GetItemAt(2)) && demo.ui.Click(L"BtnOfIncreaseCount") && demo.WaitIdle();
}

// A device opened in the player: the first playable tile's box shows pause.
// The next scene closes it again, so no player outlives the demo.
DuiLib::CCheckBoxUI* FirstPlayBox(DemoContext& demo)
{
    auto* tiles = demo.window.Paint().FindControlAs<DuiLib::CTileLayoutUI>(L"TileOfDevice");
    for (int i = 0; tiles && i < tiles->GetCount(); ++i) {
        auto* box = tiles->GetItemAt(i)->FindSubControlAs<DuiLib::CCheckBoxUI>(L"CBoxOfCtrl");
        if (box && box->IsEnabled() && box->IsVisibleInTree())
            return box;
    }
    return nullptr;
}

// The player saves pictures of its own window: the home screen of the
// stream, then the first app opened by a tap on its icon (the icon at
// device pixels 90,420 is at 45,210 in the 360 x 640 screen).
bool PlayerRunning(DemoContext& demo)
{
    if (!demo.ui.Click(L"OptOfDevice") || !demo.WaitIdle())
        return false;
    demo.ui.ProcessEvents(200);
    DuiLib::CCheckBoxUI* box = FirstPlayBox(demo);
    const std::filesystem::path home = std::filesystem::absolute(demo.outDir) / "player_window_home.png";
    const std::filesystem::path app = std::filesystem::absolute(demo.outDir) / "player_window_app.png";
    std::filesystem::remove(home);
    std::filesystem::remove(app);
    setenv("KORVANA_TOOL_PNG", home.c_str(), 1);
    setenv("KORVANA_TOOL_PNG2", app.c_str(), 1);
    setenv("KORVANA_TOOL_CLICK", "45,210", 1);
    const bool clicked = box && demo.ui.Click(box) && demo.WaitIdle(15000);
    unsetenv("KORVANA_TOOL_PNG");
    unsetenv("KORVANA_TOOL_PNG2");
    unsetenv("KORVANA_TOOL_CLICK");
    if (!clicked)
        return false;
    const auto& devices = demo.window.Client().devices.devices;
    const std::size_t d = box->GetTag();
    const bool open = demo.WaitFor([&] { return d < devices.size() && devices[d].player_open; }, 15000)
        && box->GetCheck();
    demo.WaitFor([&] { return std::filesystem::exists(app); }, 20000);
    return open;
}

bool PlayersClosed(DemoContext& demo)
{
    DuiLib::CCheckBoxUI* box = FirstPlayBox(demo);
    if (!box || !demo.ui.Click(L"BtnOfAllDisConnect"))
        return false;
    return demo.WaitFor([&] { return !box->GetCheck(); }, 15000) && (demo.ui.ProcessEvents(100), true);
}

} // namespace

const std::vector<DemoScene>& DemoScenes()
{
    static const std::vector<DemoScene> scenes = {
        { "signin", "the sign-in page", SignInPage },
        { "main", "signed in: the main page on the device list", SignIn },
        { "devices", "the device tiles with their screenshots", DeviceTiles },
        { "account", "the account page: picture, nickname, balance, password", AccountPage },
        { "notices", "the notification page: user notices with unread dots", Notices },
        { "market", "the app market: hot apps with icons, two ticked for installing", MarketScene },
        { "purchase", "the purchase page: device kinds, prices, quantity and amount", PurchasePage },
        { "player", "the device page with a device open in the player (its box shows pause)", PlayerRunning },
        { "player_closed", "关闭设备 closed the player: the box shows play again", PlayersClosed },
    };
    return scenes;
}
