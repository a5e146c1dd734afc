#pragma once

#include <string>
#include <vector>

#include "app/Page.h"
#include "app/Task.h"
#include "app/actions/DeviceActions.h"

class IShell;
struct DeviceRecord;

namespace DuiLib {
class CButtonUI;
class CCheckBoxUI;
class CControlUI;
class CEditUI;
class CListUI;
class COptionUI;
class CProgressUI;
class CTabLayoutUI;
class CTileLayoutUI;
}  // namespace DuiLib

// The device page ("DeviceTab"): the device-list load and its progress, the
// four views (group, expired, faulty, search) with their tiles, the group
// selector of the main menu, the group editor, moving devices into groups,
// renaming devices, batch mode and selection, the screenshot button, and the
// hand-overs to renewal, purchase and install. Notifications of the device
// control (play box, reboot, reset, uploads, players, synchronised control)
// are left to the control page; the batch-mode box is handled here and still
// passed on, as the control page closes its players on it too.
class DevicePage final : public IPage, public IDeviceActions {
public:
    explicit DevicePage(IShell& shell);
    ~DevicePage() override;

    std::vector<std::wstring> Routes() const override { return {L"DeviceTab"}; }
    std::vector<UINT> Messages() const override;
    bool Bind(DuiLib::CPaintManagerUI& paint) override;
    bool OnNotify(DuiLib::TNotifyUI& notification) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(UINT id) override;
    void OnSignedIn() override;
    void OnSigningOut() override;
    void OnSignedOut() override;

    // IDeviceActions
    void StartGroupLoad() override;
    void StartDeviceListLoad() override;
    void RefreshDeviceView() override;
    void ReloadTileImage(int device) override;

    // The views; each rebuilds every tile.
    void ShowGroupDevices(int groupIndex);
    void ShowExpiredDevices();
    void ShowOfflineDevices();
    void SearchDevices(const std::wstring& text);

    // The group selector under "我的设备" in the main menu.
    // After a load, on 返回 and on the main menu's device entry: the device
    // page to the front, then the selector.
    void BuildGroupSelector();
    void FillGroupSelector(bool toFront);
    // The group editor (page 1 of TabOfDevice) and its edits.
    void BuildGroupManagementList();
    void AddGroup();
    void RenameGroup(int row);
    void DeleteGroup(int row);
    void MoveGroupUp(int row);
    void MoveGroupDown(int row);
    // The "move to group" menu for one device, or for the selection (-1).
    void ShowGroupMenu(int device);

    int CurrentGroupIndex() const { return m_currentGroupIndex; }
    bool IsLoading() const { return m_loading; }
    // A load of several pages shows its first page's tiles while the rest comes.
    bool IsShowingFirstPage() const { return m_loading && m_firstPageShown; }
    // Device-list loads that have reported (read or failed) since start.
    int FinishedLoads() const { return m_finishedLoads; }
    bool IsBatchMode() const;
    // The tile of a device in the current view, or null.
    DuiLib::CControlUI* TileOf(int device) const;

    // The pages of TabOfDevice and TabOfDeviceShown.
    static constexpr int kDeviceListPage = 0;
    static constexpr int kGroupEditorPage = 1;
    static constexpr int kProgressPage = 0;
    static constexpr int kTilesPage = 1;
    static constexpr int kNoDevicesPage = 2;
    static constexpr int kScreenshotTimerPeriodMs = 30;

private:
    bool OnClick(DuiLib::CControlUI* sender, const std::wstring& name);
    bool OnSelectChanged(DuiLib::CControlUI* sender, const std::wstring& name);
    void OnDevicesMessage(WPARAM code, LPARAM lParam);
    void BeginDeviceListLoad();
    void OnGroupSelected(int index);
    void RemoveTiles();
    // Builds the view that is chosen now (after a device changed group).
    void RefreshCurrentView();
    void ShowTiles(const std::vector<int>& devices);
    void BuildDeviceTile(int device, int position);
    void ApplyBatchMode();
    void SelectAllShown(bool selected);
    void OnScreenshotClick(int device);
    void OnScreenshotTimer(DuiLib::CControlUI* button);
    void OnScreenshotResult(int device, bool ok);
    void OnRenameDeviceClick(int device, DuiLib::CControlUI* box);
    void OnDeviceNameEdited(int device, DuiLib::CEditUI* edit);
    void OnGroupMenuCommand(int group);
    void SaveGroupSet();
    void StartOwned(void (*routine)(ClientManager&, std::wstring&), std::wstring params);
    void OpenRenewal();
    void OpenInstall();
    void ChargeSelected();
    bool ValidDevice(int device) const;
    std::vector<DeviceRecord>& Devices();

    IShell& m_shell;
    DuiLib::CPaintManagerUI* m_paint = nullptr;
    DuiLib::COptionUI* m_optAll = nullptr;
    DuiLib::COptionUI* m_optExpired = nullptr;
    DuiLib::COptionUI* m_optOffline = nullptr;
    DuiLib::COptionUI* m_optSearch = nullptr;
    DuiLib::CEditUI* m_search = nullptr;
    DuiLib::CTabLayoutUI* m_tabOfDevice = nullptr;
    DuiLib::CTabLayoutUI* m_tabShown = nullptr;
    DuiLib::CProgressUI* m_progress = nullptr;
    DuiLib::CTileLayoutUI* m_tiles = nullptr;
    DuiLib::CListUI* m_selector = nullptr;
    DuiLib::CListUI* m_groupList = nullptr;
    DuiLib::CControlUI* m_refresh = nullptr;
    DuiLib::CControlUI* m_addGroup = nullptr;
    DuiLib::CCheckBoxUI* m_batch = nullptr;
    DuiLib::CCheckBoxUI* m_selectAll = nullptr;
    DuiLib::CControlUI* m_batchBar = nullptr;
    DuiLib::CControlUI* m_allDisplay = nullptr;
    DuiLib::COptionUI* m_menuDevice = nullptr;
    DuiLib::CTabLayoutUI* m_tabOfMain = nullptr;

    int m_currentGroupIndex = 0;
    bool m_loading = false;
    // The first page of the running load is on screen (a list of several
    // pages): the views work on it while the rest comes.
    bool m_firstPageShown = false;
    bool ViewsOpen() const { return !m_loading || m_firstPageShown; }
    void ShowFirstPage();
    // A sign-out came during the load: its records are dropped.
    bool m_discardLoad = false;
    // A load was asked for while one ran: it starts when that one ends.
    bool m_loadAgain = false;
    bool m_signedOut = false;
    int m_finishedLoads = 0;
    // The running group and device loads, awaited at sign-out.
    TaskHandle m_groupTask;
    TaskHandle m_loadTask;
    // The device the group menu was opened for (-1: the selection).
    int m_menuDeviceIndex = -1;
};
