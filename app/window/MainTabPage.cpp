#include "app/window/MainTabPage.h"

#include "app/ClientManager.h"
#include "app/ServiceLinks.h"
#include "app/Shell.h"
#include "app/actions/AccountActions.h"
#include "app/actions/CommerceActions.h"
#include "app/actions/DeviceActions.h"
#include "app/actions/MarketActions.h"
#include "app/actions/NotifyActions.h"
#include "platform/Browser.h"
#include "ui/UILabel.h"
#include "ui/UIManager.h"
#include "ui/UITabLayout.h"

using namespace DuiLib;

MainTabPage::MainTabPage(IShell& shell)
    : m_shell(shell)
{
}

bool MainTabPage::Bind(CPaintManagerUI& paint)
{
    m_tabOfMain = paint.FindControlAs<CTabLayoutUI>(L"TabOfMain");
    m_groupSelector = paint.FindControl(L"ListOfDeviceGroupSel");
    m_labOfBalanceCharge = paint.FindControlAs<CLabelUI>(L"LabOfBalanceCharge");
    m_btnOfPay = paint.FindControl(L"BtnOfPay");
    m_tabOfDevice = paint.FindControlAs<CTabLayoutUI>(L"TabOfDevice");
    m_tabOfBuy = paint.FindControlAs<CTabLayoutUI>(L"TabOfBuy");
    return m_settings.Bind(paint) && m_tabOfMain && m_groupSelector && m_labOfBalanceCharge && m_btnOfPay
        && m_tabOfDevice && m_tabOfBuy;
}

bool MainTabPage::OnNotify(TNotifyUI& notification)
{
    if (!notification.pSender)
        return false;
    const std::wstring& name = notification.pSender->GetName();
    const std::wstring& type = notification.sType;
    if (type == DUI_MSGTYPE_SELECTCHANGED)
        return OnSelectChanged(name);
    if (type == DUI_MSGTYPE_CLICK)
        return OnClick(name);
    if (type == DUI_MSGTYPE_ITEMSELECT && name == L"ListOfNotify") {
        OpenUrlOrShowAddress(ServicePageUrl(kConsultPagePath), m_shell.Owner());
        return true;
    }
    if (type == DUI_MSGTYPE_TABSELECT && notification.pSender == m_tabOfMain) {
        OnMainTabSelected(static_cast<int>(notification.wParam));
        return true;
    }
    return false;
}

void MainTabPage::ShowPage(int page, bool groupSelector)
{
    m_tabOfMain->SelectItem(page);
    m_groupSelector->SetVisible(groupSelector);
}

bool MainTabPage::OnSelectChanged(const std::wstring& name)
{
    if (name == L"OptOfAccount") {
        ShowPage(kAccountPage, false);
    } else if (name == L"OptOfSetting") {
        m_settings.Show();
        ShowPage(kSettingsPage, false);
    } else if (name == L"OptOfDevice") {
        ShowPage(kDevicePage, true);
    } else if (name == L"OptOfCharge") {
        m_labOfBalanceCharge->SetText(L"账户当前积分：" + m_shell.Client().user.pointsText);
        // The plan load's result message leaves the wait state.
        m_shell.BeginWait();
        m_shell.Commerce().StartRechargePlanLoad();
        ShowPage(kPurchasePage, false);
        m_btnOfPay->SetVisible(false);
    } else if (name == L"OptOfBuy") {
        ICommerceActions& commerce = m_shell.Commerce();
        if (!commerce.ShowsRenewal())
            commerce.StartPurchasePlanLoad();
        ShowPage(kPurchasePage, false);
        m_btnOfPay->SetVisible(true);
        commerce.ResetChosenPlan();
    } else if (name == L"OptOfNotify") {
        ShowPage(kNotifyPage, false);
    } else if (name == L"OptOfAppTab") {
        ShowPage(kMarketPage, false);
        m_shell.BeginWait();
        m_shell.Market().ReloadSelectedApps();
    } else if (name == L"OptOfUserNotify" || name == L"OptOfSysNotify" || name == L"OptOfActNotify") {
        const int category = name == L"OptOfUserNotify" ? 0 : name == L"OptOfSysNotify" ? 1 : 2;
        m_shell.Notices().SwitchCategory(category);
    } else {
        return m_settings.OnSelectChanged(name);
    }
    return true;
}

bool MainTabPage::OnClick(const std::wstring& name)
{
    if (name == L"BtnOfSetting") {
        m_shell.ShowTrayMenu();
    } else if (name == L"OptOfDevice") {
        m_shell.Devices().RefreshDeviceView();
        m_tabOfDevice->SelectItem(0);
    } else if (name == L"OptOfCharge" || name == L"OptOfBuy") {
        m_shell.Commerce().SelectGoods(name == L"OptOfCharge" ? Goods::Points : Goods::Devices);
    } else {
        return false;
    }
    return true;
}

void MainTabPage::OnMainTabSelected(int page)
{
    m_currentMainPage = page;
    if (page == kAccountPage) {
        m_shell.Account().RefreshUserInfo();
    } else if (page == kDevicePage) {
        m_shell.Devices().RefreshDeviceView();
    }
    // Dropped files are accepted on the device page only and have no effect
    // there, so only the purchase page's own tab needs resetting.
    if (page == kSettingsPage)
        m_settings.Show();
    if (page == kAccountPage || page == kSettingsPage || page == kDevicePage)
        m_tabOfBuy->SelectItem(0);
}
