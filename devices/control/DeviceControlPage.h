#pragma once

#include <string>

#include "app/Page.h"
#include "app/actions/ControlActions.h"

class IShell;
class ClientManager;

namespace DuiLib {
class CCheckBoxUI;
class CControlUI;
class CProgressUI;
class CTileLayoutUI;
} // namespace DuiLib

// The device-control side of the device page ("DeviceTab", after the device
// list's page): the play box of a tile, closing all players, synchronised
// control, reboot, reset and uploads, and their result messages. Everything
// else of "DeviceTab" is the device list's.
class DeviceControlPage final : public IPage, public IControlActions {
public:
    explicit DeviceControlPage(IShell& shell);

    std::vector<std::wstring> Routes() const override { return { L"DeviceTab" }; }
    std::vector<UINT> Messages() const override;
    bool Bind(DuiLib::CPaintManagerUI& paint) override;
    bool OnNotify(DuiLib::TNotifyUI& notification) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Every player and the synchronised-control program are asked to close.
    void OnSigningOut() override;
    void OnSignedOut() override;

    void CloseAllPlayers() override;
    void ClosePlayers() override;

    // Texts of the confirmations.
    static constexpr const wchar_t* kConfirmReboot = L"重启设备需要大概2~3分钟，确定重启？";
    static constexpr const wchar_t* kConfirmReset
        = L"重启设备需要大概5分钟重置设备将会清除所有用户数据，确定重置？";
    static constexpr const wchar_t* kConfirmBatchReboot = L"重启设备需要大概一分钟，确定重启？";
    static constexpr const wchar_t* kConfirmBatchReset = L"重置设备将会清除所有用户数据，确定重置？";

private:
    ClientManager& Client();
    bool IsDevice(int d);
    // Device d's tile, or null when it has none.
    DuiLib::CControlUI* Tile(int d);
    // The control of device d's tile, or null when d has no tile.
    DuiLib::CControlUI* TileControl(int d, const std::wstring& name);
    void ReloadTileImage(int d);
    void ClearPlayBox(int d);

    void OnPlayBox(int d, bool nowSelected);
    void OnBatchMode();
    void StartSync();
    void Confirm(const wchar_t* question, bool reset, bool batch, int d);
    void StartOperation(int d, bool reset);
    void UploadOne(int d);
    void UploadBatch();

    void OnPlayMessage(WPARAM code, int d);
    void OnDeviceOpMessage(WPARAM code, int d);
    void OnUploadMessage(WPARAM code, LPARAM value);
    void OnUploadProgress(int d, int percent);

    IShell& m_shell;
    DuiLib::CTileLayoutUI* m_tiles = nullptr;
    DuiLib::CCheckBoxUI* m_batchMode = nullptr;
    DuiLib::CProgressUI* m_batchProgress = nullptr;
};
