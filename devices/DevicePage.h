#pragma once

#include <string>
#include <vector>

#include "app/Page.h"
#include "app/actions/DeviceActions.h"
#include "devices/DeviceListLoad.h"
#include "devices/DeviceTileView.h"
#include "devices/GroupEditor.h"

class ClientManager;
class IShell;

namespace DuiLib {
class CControlUI;
class CEditUI;
} // namespace DuiLib

// The device page ("DeviceTab"): its loads (DeviceListLoad), its tiles,
// views, group selector and batch mode (DeviceTileView) and the group
// editor (GroupEditor); the page itself routes their notifications and
// messages, moves devices into groups, renames them and hands over to
// renewal, purchase and install. Notifications of the device control (play
// box, reboot, reset, uploads, players, synchronised control) are left to
// the control page; the batch-mode box is handled here and still passed on,
// as the control page closes its players on it too.
class DevicePage final : public IPage, public IDeviceActions {
public:
    explicit DevicePage(IShell& shell);
    ~DevicePage() override;

    std::vector<std::wstring> Routes() const override { return { L"DeviceTab" }; }
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
    void ShowGroupDevices(int groupIndex) { m_view.ShowGroupDevices(groupIndex); }
    void ShowExpiredDevices() { m_view.ShowExpiredDevices(); }
    void ShowOfflineDevices() { m_view.ShowOfflineDevices(); }
    void SearchDevices(const std::wstring& text) { m_view.SearchDevices(text); }
    // The "move to group" menu for one device, or for the selection (-1).
    void ShowGroupMenu(int device);

    int CurrentGroupIndex() const { return m_view.CurrentGroupIndex(); }
    bool IsLoading() const { return m_load.IsLoading(); }
    // A load of several pages shows its first page's tiles while the rest comes.
    bool IsShowingFirstPage() const { return m_load.IsShowingFirstPage(); }
    // Device-list loads that have reported (read or failed) since start.
    int FinishedLoads() const { return m_load.FinishedLoads(); }
    bool IsBatchMode() const;
    // The tile of a device in the current view, or null.
    DuiLib::CControlUI* TileOf(int device) const { return m_view.TileOf(device); }

    // The pages of TabOfDevice and TabOfDeviceShown.
    static constexpr int kDeviceListPage = DeviceTileView::kDeviceListPage;
    static constexpr int kGroupEditorPage = DeviceTileView::kGroupEditorPage;
    static constexpr int kProgressPage = DeviceTileView::kProgressPage;
    static constexpr int kTilesPage = DeviceTileView::kTilesPage;
    static constexpr int kNoDevicesPage = DeviceTileView::kNoDevicesPage;
    static constexpr int kScreenshotTimerPeriodMs = DeviceTileView::kScreenshotTimerPeriodMs;

private:
    bool OnClick(DuiLib::CControlUI* sender, const std::wstring& name);
    void OnRenameDeviceClick(int device, DuiLib::CControlUI* box);
    void OnDeviceNameEdited(int device, DuiLib::CEditUI* edit);
    void OnGroupMenuCommand(int group);
    void StartOwned(void (*routine)(ClientManager&, std::wstring&), std::wstring params);
    void OpenRenewal();
    void OpenInstall();
    void ChargeSelected();

    IShell& m_shell;
    DuiLib::CPaintManagerUI* m_paint = nullptr;
    DeviceTileView m_view;
    DeviceListLoad m_load;
    GroupEditor m_groups;
    // The device the group menu was opened for (-1: the selection).
    int m_menuDeviceIndex = -1;
};
