#include "tools/demo/DemoScenes.h"

#include "app/window/CMainWnd.h"
#include "ui/UIAutomation.h"
#include "ui/UIControl.h"
#include "ui/UILayout.h"

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
    if (!demo.ui.TypeText(L"EditOfLoginName", demo.user) || !demo.ui.TypeText(L"EditOfLoginPwd", demo.password))
        return false;
    if (!demo.ui.Click(L"BtnOfLogin"))
        return false;
    if (!demo.WaitFor([&] { return demo.MainWindowPage() == 1; }))
        return false;
    // Let the first loads of the main page arrive before the picture.
    demo.ui.ProcessEvents(500);
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

}  // namespace

const std::vector<DemoScene>& DemoScenes()
{
    static const std::vector<DemoScene> scenes = {
        {"signin", "the sign-in page", SignInPage},
        {"main", "signed in: the main page on the device list", SignIn},
        {"purchase", "the purchase page: device kinds, prices, quantity and amount", PurchasePage},
    };
    return scenes;
}
