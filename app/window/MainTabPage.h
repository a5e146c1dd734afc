#pragma once

#include "app/Page.h"
#include "app/window/SettingsBoxes.h"

class IShell;

namespace DuiLib {
class CControlUI;
class CLabelUI;
class CTabLayoutUI;
} // namespace DuiLib

// The main page's navigation ("MainTab"): the menu column switches the pages
// of TabOfMain and hands over to the feature of the page shown, through the
// feature's operations on IShell. BtnOfSetting opens the tray menu.
class MainTabPage final : public IPage {
public:
    explicit MainTabPage(IShell& shell);

    std::vector<std::wstring> Routes() const override { return { L"MainTab" }; }
    bool Bind(DuiLib::CPaintManagerUI& paint) override;
    bool OnNotify(DuiLib::TNotifyUI& notification) override;

    // The 软件设置 boxes read the settings again (after a tray toggle).
    void ShowSettings() { m_settings.Show(); }

    // The page TabOfMain shows (2, devices, at first).
    int CurrentMainPage() const { return m_currentMainPage; }

    // The pages of TabOfMain.
    static constexpr int kAccountPage = 0;
    static constexpr int kSettingsPage = 1;
    static constexpr int kDevicePage = 2;
    static constexpr int kPurchasePage = 3;
    static constexpr int kNotifyPage = 4;
    static constexpr int kMarketPage = 5;

private:
    bool OnSelectChanged(const std::wstring& name);
    bool OnClick(const std::wstring& name);
    void OnMainTabSelected(int page);
    void ShowPage(int page, bool groupSelector);

    IShell& m_shell;
    SettingsBoxes m_settings;
    int m_currentMainPage = kDevicePage;
    DuiLib::CTabLayoutUI* m_tabOfMain = nullptr;
    DuiLib::CControlUI* m_groupSelector = nullptr;
    DuiLib::CLabelUI* m_labOfBalanceCharge = nullptr;
    DuiLib::CControlUI* m_btnOfPay = nullptr;
    DuiLib::CTabLayoutUI* m_tabOfDevice = nullptr;
    DuiLib::CTabLayoutUI* m_tabOfBuy = nullptr;
};
