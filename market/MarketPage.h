#pragma once

#include <string>
#include <vector>

#include "app/Page.h"
#include "app/Task.h"
#include "app/actions/MarketActions.h"

class IShell;

namespace DuiLib {
class CButtonUI;
class CControlUI;
class CEditUI;
class CListUI;
class COptionUI;
class CProgressUI;
class CTabLayoutUI;
class CTileLayoutUI;
} // namespace DuiLib

// The app page ("AppTab", page 5 of TabOfMain): the catalogue views, the
// refresh with its spinner, the selection of apps and the install column,
// the upload and delete of the user's own apps.
class MarketPage final : public IPage, public IMarketActions {
public:
    explicit MarketPage(IShell& shell);

    std::vector<std::wstring> Routes() const override { return { L"AppTab" }; }
    std::vector<UINT> Messages() const override;
    bool Bind(DuiLib::CPaintManagerUI& paint) override;
    bool OnNotify(DuiLib::TNotifyUI& notification) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSignedIn() override;
    void OnSigningOut() override;
    void OnSignedOut() override;

    // IMarketActions
    void StartCatalogueSync() override;
    void SelectHotView() override;
    void ReloadSelectedApps() override;
    void ShowInstall() override;

    int ViewMode() const { return m_viewMode; }

    // The pages of TabOfAppList and TabOfSubTypeAppList.
    static constexpr int kIconPage = 0;
    static constexpr int kCategoryPage = 1;
    static constexpr int kNothingFoundPage = 2;
    static constexpr int kGroupsPage = 0;
    static constexpr int kNoGroupsPage = 1;
    static constexpr int kMaxOwnApps = 30;

private:
    bool OnSelectChanged(DuiLib::CControlUI* sender, const std::wstring& name);
    bool OnClick(DuiLib::CControlUI* sender, const std::wstring& name);
    bool OnHover(DuiLib::CControlUI* sender, bool entered);
    void OnSearchTextChanged();
    void OnAppsMessage(WPARAM code, LPARAM lParam);
    void OnInstallMessage(WPARAM code, LPARAM lParam);
    void OnUploadMessage(WPARAM code, LPARAM lParam);
    void AdvanceSpinner();

    void ShowView(int mode, int tabPage, bool deleteButton);
    void StartSubtypeLoad(int mainCategory);
    void StartAppListLoad(int category = 0);
    void ToggleAppSelection(int appId, bool selected);
    void BuildInstallLists();
    void ConfirmInstall();
    void StartLocalAppUpload();
    void DeleteTickedApps();
    void ClearDeviceSelection(int index);

    IShell& m_shell;
    int m_viewMode = 0;
    // The running catalogue synchronisation, awaited at sign-out.
    TaskHandle m_syncTask;
    // The main menu's entry of this page.
    DuiLib::COptionUI* m_menuEntry = nullptr;
    DuiLib::CTabLayoutUI* m_tabOfAppList = nullptr;
    DuiLib::CTileLayoutUI* m_tileOfGame = nullptr;
    DuiLib::CTileLayoutUI* m_tileOfLetterTag = nullptr;
    DuiLib::CTabLayoutUI* m_tabOfSubTypeAppList = nullptr;
    DuiLib::CListUI* m_listOfGameTile = nullptr;
    DuiLib::CControlUI* m_search = nullptr;
    DuiLib::CControlUI* m_refresh = nullptr;
    DuiLib::CControlUI* m_deleteOwnApps = nullptr;
    DuiLib::CProgressUI* m_refreshProgress = nullptr;
    DuiLib::CProgressUI* m_uploadProgress = nullptr;
    DuiLib::CListUI* m_selectedDevices = nullptr;
    DuiLib::CListUI* m_selectedApps = nullptr;
    DuiLib::COptionUI* m_optOfHot = nullptr;
    DuiLib::COptionUI* m_optOfSearch = nullptr;
};
