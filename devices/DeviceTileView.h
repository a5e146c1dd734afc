#pragma once

#include <cstddef>
#include <string>
#include <vector>

class IShell;
struct DeviceRecord;

namespace DuiLib {
class CCheckBoxUI;
class CControlUI;
class CEditUI;
class CListUI;
class COptionUI;
class CPaintManagerUI;
class CTabLayoutUI;
class CTileLayoutUI;
struct TNotifyUI;
} // namespace DuiLib

// The device list as the user sees it: the four views (group, expired,
// faulty, search) with one tile per device, the group selector under
// "我的设备" in the main menu, batch mode and its selection, and the
// screenshot buttons of the tiles.
class DeviceTileView {
public:
    explicit DeviceTileView(IShell& shell);
    ~DeviceTileView();
    DeviceTileView(const DeviceTileView&) = delete;
    DeviceTileView& operator=(const DeviceTileView&) = delete;

    bool Bind(DuiLib::CPaintManagerUI& paint);
    // The view's own notifications: its options, the search text, the
    // selector, the screenshot timers. The batch-mode box is applied and
    // still reported as unhandled, so the control page sees it too.
    bool OnNotify(DuiLib::TNotifyUI& notification);

    // The views; each rebuilds every tile. While a load has no list to show
    // yet (SetViewsOpen(false)) they leave the tiles as they are.
    void ShowGroupDevices(int groupIndex);
    void ShowExpiredDevices();
    void ShowOfflineDevices();
    void SearchDevices(const std::wstring& text);
    // The view that is chosen now, built again.
    void RefreshCurrentView();
    // The same after the list grew at its end (the rest of a load whose first
    // page is on screen): the tiles of the leading devices the view already
    // shows stay, built as they are, and only the others are made.
    void ExtendCurrentView();
    void SetViewsOpen(bool open) { m_viewsOpen = open; }
    void RemoveTiles();
    // The tile of a device in the current view, or null.
    DuiLib::CControlUI* TileOf(int device) const;

    // The progress page while a load runs; the list page with its tiles.
    void ShowProgress();
    void ShowList();
    void ShowGroupEditor();

    // The group selector: toFront brings the device page to the front first
    // (after a load, on 返回); the main menu's device entry redraws it.
    void FillGroupSelector(bool toFront);
    int CurrentGroupIndex() const { return m_currentGroupIndex; }
    // After a change of the groups: the index within them, or 我的设备.
    void FitGroupIndex();
    void ResetGroupIndex() { m_currentGroupIndex = 0; }

    bool IsBatchMode() const;

    void OnScreenshotClick(int device);
    void OnScreenshotResult(int device, bool ok);
    void ReloadTileImage(int device);

    // Sign-out: no tiles, no selector, no batch mode, 我的设备 chosen.
    void Clear();

    bool ValidDevice(int device) const;

    static constexpr int kDeviceListPage = 0;
    static constexpr int kGroupEditorPage = 1;
    static constexpr int kProgressPage = 0;
    static constexpr int kTilesPage = 1;
    static constexpr int kNoDevicesPage = 2;
    static constexpr int kScreenshotTimerPeriodMs = 30;

private:
    bool OnSelectChanged(DuiLib::CControlUI* sender);
    void OnGroupSelected(int index);
    void ShowTiles(const std::vector<int>& devices);
    // How many of the tiles shown now are those of devices' leading entries.
    std::size_t LeadingTilesOf(const std::vector<int>& devices) const;
    bool HasTileElement();
    void BuildDeviceTile(int device, int position);
    void ApplyBatchMode();
    void SelectAllShown(bool selected);
    void OnScreenshotTimer(DuiLib::CControlUI* button);
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
    DuiLib::CTileLayoutUI* m_tiles = nullptr;
    DuiLib::CListUI* m_selector = nullptr;
    DuiLib::CCheckBoxUI* m_batch = nullptr;
    DuiLib::CCheckBoxUI* m_selectAll = nullptr;
    DuiLib::CControlUI* m_batchBar = nullptr;
    DuiLib::CControlUI* m_allDisplay = nullptr;
    DuiLib::COptionUI* m_menuDevice = nullptr;
    DuiLib::CTabLayoutUI* m_tabOfMain = nullptr;

    int m_currentGroupIndex = 0;
    bool m_viewsOpen = true;
    bool m_keepLeadingTiles = false;
    // Whether the skin has the tile element; asked once.
    enum class ElementKnown { NotYet, Present, Missing } m_element = ElementKnown::NotYet;
};
