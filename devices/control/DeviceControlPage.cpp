#include "devices/control/DeviceControlPage.h"

#include <memory>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "app/PageBox.h"
#include "app/Shell.h"
#include "devices/DeviceTile.h"
#include "devices/control/ControlTasks.h"
#include "devices/control/UploadRules.h"
#include "net/TextConvert.h"
#include "platform/MessageBox.h"
#include "ui/UICheckBox.h"
#include "ui/UIManager.h"
#include "ui/UIProgress.h"
#include "ui/UITabLayout.h"
#include "ui/UITileLayout.h"

using namespace DuiLib;

namespace {

constexpr int kPreviewPage = 0;
constexpr int kBusyPage = 2;

} // namespace

DeviceControlPage::DeviceControlPage(IShell& shell)
    : m_shell(shell)
{
}

std::vector<UINT> DeviceControlPage::Messages() const
{
    return { msg::UM_PLAY, msg::UM_DEVICE_OP, msg::UM_UPLOAD, msg::UM_UPLOAD_PROGRESS };
}

bool DeviceControlPage::Bind(CPaintManagerUI& paint)
{
    m_tiles = paint.FindControlAs<CTileLayoutUI>(L"TileOfDevice");
    m_batchMode = paint.FindControlAs<CCheckBoxUI>(L"CBoxOfBatOpt");
    m_batchProgress = paint.FindControlAs<CProgressUI>(L"ProOfBatUpload");
    return m_tiles && m_batchMode && m_batchProgress && paint.FindControl(L"BtnOfAllDisConnect")
        && paint.FindControl(L"BtnOfAllDisplay") && paint.FindControl(L"BtnOfBatReboot")
        && paint.FindControl(L"BtnOfBatRecover") && paint.FindControl(L"BtnOfBatUploadFile");
}

ClientManager& DeviceControlPage::Client()
{
    ClientManager& client = m_shell.Client();
    client.control.owner = m_shell.Owner();
    return client;
}

bool DeviceControlPage::IsDevice(int d)
{
    return d >= 0 && static_cast<std::size_t>(d) < Client().devices.devices.size();
}

CControlUI* DeviceControlPage::Tile(int d)
{
    if (!IsDevice(d) || m_tiles == nullptr)
        return nullptr;
    const int tile = Client().devices.devices[d].tile_index;
    if (tile < 0 || tile >= m_tiles->GetCount())
        return nullptr;
    return m_tiles->GetItemAt(tile);
}

CControlUI* DeviceControlPage::TileControl(int d, const std::wstring& name)
{
    CControlUI* tile = Tile(d);
    return tile == nullptr ? nullptr : tile->FindSubControl(name);
}

void DeviceControlPage::ReloadTileImage(int d)
{
    if (CControlUI* tile = Tile(d))
        ShowTileScreenshot(*tile, Client().devices.devices[d]);
}

void DeviceControlPage::ClearPlayBox(int d)
{
    // Without its notification: the player is gone already, nothing to close.
    if (auto* box = dynamic_cast<CCheckBoxUI*>(TileControl(d, L"CBoxOfCtrl")))
        box->SetCheck(false, false);
}

bool DeviceControlPage::OnNotify(TNotifyUI& notification)
{
    if (notification.pSender == nullptr)
        return false;
    const std::wstring& name = notification.pSender->GetName();
    const std::wstring& type = notification.sType;
    const int d = static_cast<int>(notification.pSender->GetTag());
    if (type == DUI_MSGTYPE_SELECTCHANGED) {
        if (name == L"CBoxOfCtrl") {
            auto* box = dynamic_cast<CCheckBoxUI*>(notification.pSender);
            OnPlayBox(d, box != nullptr && box->GetCheck());
            return true;
        }
        if (name == L"CBoxOfBatOpt") {
            OnBatchMode();
            return false; // the device list changes its view as well
        }
        return false;
    }
    if (type != DUI_MSGTYPE_CLICK)
        return false;
    if (name == L"BtnOfAllDisConnect") {
        ClientManager& client = Client();
        for (std::size_t i = 0; i < client.devices.devices.size(); ++i) {
            if (PlayerOpenOf(client, static_cast<int>(i)))
                ClosePlayerOf(client, static_cast<int>(i));
        }
        return true;
    }
    if (name == L"BtnOfAllDisplay") {
        StartSync();
        return true;
    }
    if (name == L"BtnOfReboot") {
        Confirm(kConfirmReboot, false, false, d);
        return true;
    }
    if (name == L"BtnOfRecover") {
        Confirm(kConfirmReset, true, false, d);
        return true;
    }
    if (name == L"BtnOfBatReboot") {
        Confirm(kConfirmBatchReboot, false, true, 0);
        return true;
    }
    if (name == L"BtnOfBatRecover") {
        Confirm(kConfirmBatchReset, true, true, 0);
        return true;
    }
    if (name == L"BtnOfUploadFile") {
        UploadOne(d);
        return true;
    }
    if (name == L"BtnOfBatUploadFile") {
        UploadBatch();
        return true;
    }
    return false;
}

void DeviceControlPage::OnPlayBox(int d, bool nowSelected)
{
    if (!IsDevice(d))
        return;
    ClientManager& client = Client();
    if (nowSelected) {
        if (PlayerOpenOf(client, d))
            return;
        m_shell.BeginWait();
        m_shell.StartWith(&PlayDevice, PlayRequest { d, client.user.userId });
        return;
    }
    if (PlayerOpenOf(client, d))
        ClosePlayerOf(client, d);
}

void DeviceControlPage::OnBatchMode()
{
    ClientManager& client = Client();
    if (SyncProgramRuns(client))
        CloseSyncProgramOf(client);
    if (m_batchMode != nullptr && m_batchMode->GetCheck()) {
        for (std::size_t i = 0; i < client.devices.devices.size(); ++i) {
            if (PlayerOpenOf(client, static_cast<int>(i)))
                ClosePlayerOf(client, static_cast<int>(i));
        }
    }
}

void DeviceControlPage::StartSync()
{
    if (SyncProgramRuns(Client()))
        return;
    m_shell.BeginWait();
    m_shell.StartWith(&PlayDevicesInSync, std::string(Client().user.userId));
}

void DeviceControlPage::Confirm(const wchar_t* question, bool reset, bool batch, int d)
{
    if (!batch && !IsDevice(d))
        return;
    if (!AskOkCancel(m_shell, question, MessageBoxIcon::Information))
        return;
    if (!batch) {
        StartOperation(d, reset);
        return;
    }
    ClientManager& client = Client();
    for (std::size_t i = 0; i < client.devices.devices.size(); ++i) {
        if (client.devices.devices[i].selected)
            StartOperation(static_cast<int>(i), reset);
    }
}

void DeviceControlPage::StartOperation(int d, bool reset)
{
    if (auto* detail = dynamic_cast<CTabLayoutUI*>(TileControl(d, L"TabOfDeviceDetail")))
        detail->SelectItem(kBusyPage);
    Client().devices.devices[d].operation_busy = true;
    m_shell.Start(reset ? &ResetDevice : &RebootDevice, static_cast<TaskArg>(d));
}

void DeviceControlPage::UploadOne(int d)
{
    if (!IsDevice(d))
        return;
    const std::wstring path = ChooseUploadFile(m_shell.Owner());
    if (path.empty())
        return;
    if (!IsAcceptedUploadName(UploadFileName(path))) {
        ShowNotice(m_shell, kUploadNameRefusedText, MessageBoxIcon::Information);
        return;
    }
    DeviceRecord& device = Client().devices.devices[d];
    device.upload_path = path;
    device.upload_busy = true;
    if (auto* progress = dynamic_cast<CProgressUI*>(TileControl(d, L"ProOfUpload"))) {
        progress->SetValue(0);
        progress->SetVisible(true);
    }
    if (!m_shell.Start(&UploadToDevice, static_cast<TaskArg>(d)))
        OnUploadMessage(msg::kUploadFailed, d);
}

void DeviceControlPage::UploadBatch()
{
    const std::wstring path = ChooseUploadFile(m_shell.Owner());
    if (path.empty())
        return;
    m_shell.StartWith(&UploadToSelectedDevices, WideToUtf8(path)).Drop();
}

void DeviceControlPage::CloseAllPlayers()
{
    CloseAllPlayersOf(Client());
}

void DeviceControlPage::ClosePlayers()
{
    ClosePlayersOf(Client());
}

void DeviceControlPage::OnSigningOut()
{
    CloseAllPlayers();
}

void DeviceControlPage::OnSignedOut()
{
    // Workers still polling a rebooted device stop; nobody waits for them.
    ++Client().control.signOutCount;
}

bool DeviceControlPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case msg::UM_PLAY:
        OnPlayMessage(wParam, static_cast<int>(lParam));
        return true;
    case msg::UM_DEVICE_OP:
        OnDeviceOpMessage(wParam, static_cast<int>(lParam));
        return true;
    case msg::UM_UPLOAD:
        OnUploadMessage(wParam, lParam);
        return true;
    case msg::UM_UPLOAD_PROGRESS:
        OnUploadProgress(static_cast<int>(wParam), static_cast<int>(lParam));
        return true;
    default:
        return false;
    }
}

void DeviceControlPage::OnPlayMessage(WPARAM code, int d)
{
    if (code == msg::kPlayerStarting) {
        m_shell.EndWait();
        return;
    }
    ClearPlayBox(d);
    if (code == msg::kPlayerEnded) {
        ReloadTileImage(d);
        return;
    }
    m_shell.EndWait();
    ShowError(
        m_shell, code == msg::kPlaySessionExpired ? L"请重新登陆！" : L"未知错误！", MessageBoxIcon::Error);
}

void DeviceControlPage::OnDeviceOpMessage(WPARAM code, int d)
{
    if (IsDevice(d))
        Client().devices.devices[d].operation_busy = false;
    if (auto* detail = dynamic_cast<CTabLayoutUI*>(TileControl(d, L"TabOfDeviceDetail"))) {
        detail->SelectItem(kPreviewPage);
        ReloadTileImage(d);
    }
    if (code == msg::kRebootFailed || code == msg::kResetFailed)
        ShowError(m_shell, code == msg::kRebootFailed ? L"重启失败！" : L"重置失败！", MessageBoxIcon::Error);
}

void DeviceControlPage::OnUploadMessage(WPARAM code, LPARAM value)
{
    // A batch upload says so while its result is being handled; its progress
    // has a sub-code of its own.
    if (code == msg::kUploadBatchProgress || Client().control.batchResultInFlight) {
        if (code == msg::kUploadBatchProgress)
            m_batchProgress->SetValue(static_cast<int>(value));
        else if (code == msg::kUploadDone)
            m_batchProgress->SetValue(0);
        // A finished upload says so; a failed one has said why already.
        if (code == msg::kUploadDone)
            ShowNotice(m_shell, kUploadDoneText, MessageBoxIcon::Information);
        return;
    }
    const int d = static_cast<int>(value);
    if (IsDevice(d))
        Client().devices.devices[d].upload_busy = false;
    if (CControlUI* progress = TileControl(d, L"ProOfUpload"))
        progress->SetVisible(false);
    if (code == msg::kUploadDone)
        ShowNotice(m_shell, kUploadDoneText, MessageBoxIcon::Information);
}

void DeviceControlPage::OnUploadProgress(int d, int percent)
{
    if (auto* progress = dynamic_cast<CProgressUI*>(TileControl(d, L"ProOfUpload")))
        progress->SetValue(percent);
}
