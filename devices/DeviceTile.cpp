#include "devices/DeviceTile.h"

#include "devices/DeviceFilters.h"
#include "devices/DeviceList.h"
#include "devices/Screenshot.h"
#include "platform/FileSystem.h"
#include "ui/UICheckBox.h"
#include "ui/UIContainer.h"
#include "ui/UIEdit.h"
#include "ui/UILazyContainer.h"
#include "ui/UIManager.h"
#include "ui/UIProgress.h"
#include "ui/UITabLayout.h"

using namespace DuiLib;

namespace {

// Every control of a tile that reacts to the user carries the device index.
constexpr const wchar_t* kTaggedParts[] = {
    L"BtnOfDeviceInfo",
    L"BtnOfScreenshot",
    L"CBoxOfModifyDeviceName",
    L"EditOfDeviceName",
    L"TabOfDeviceDetail",
    L"CBoxOfCtrl",
    L"BtnOfDeviceTimeLeft",
    L"BtnOfReboot",
    L"BtnOfRecover",
    L"BtnOfUploadFile",
    L"BtnOfChangeGroup",
    L"BtnOfDeviceInstall",
    L"LabOfDevivceFunc",
    L"CBoxOfDevicd",
};

constexpr int kBusyPage = 2;

void SetPartText(CControlUI& tile, const wchar_t* name, const std::wstring& text)
{
    if (CControlUI* part = tile.FindSubControl(name))
        part->SetText(text);
}

void SetPartToolTip(CControlUI& tile, const wchar_t* name, const std::wstring& text)
{
    if (CControlUI* part = tile.FindSubControl(name))
        part->SetToolTip(text);
}

} // namespace

std::wstring DeviceInfoText(const DeviceRecord& device)
{
    return device.bind_plan_type + L"_" + device.id + L"\r\n" + device.ip + L"_" + device.sn;
}

std::wstring TimeLeftMarkup(const DeviceRecord& device)
{
    return L"<f 11>" + device.bind_plan_type + L" </f>" + device.expiry_text;
}

void FillDeviceTile(CControlUI& tile, const DeviceRecord& device, int index,
    const std::vector<DeviceGroupRecord>& groups, bool batchMode)
{
    const std::wstring info = DeviceInfoText(device);
    for (const wchar_t* name : { L"BtnOfDeviceInfo", L"CtrlOfInfoUp", L"CtrlOfInfoDown", L"CBoxOfCtrl" })
        SetPartToolTip(tile, name, info);
    for (const wchar_t* name : kTaggedParts) {
        if (CControlUI* part = tile.FindSubControl(name))
            part->SetTag(static_cast<std::uintptr_t>(index));
    }
    SetPartText(tile, L"LabOfDeviceName", device.sn);
    SetPartText(tile, L"EditOfDeviceName", device.name);

    if (auto* play = tile.FindSubControlAs<CCheckBoxUI>(L"CBoxOfCtrl")) {
        if (IsUsable(device)) {
            play->SetEnabled(true);
            play->SetText(L"");
            play->SetCheck(device.player_open, false);
        } else {
            play->SetEnabled(false);
            SetPartText(tile, L"LabOfCtrl", UnusableCaption(device));
            // Header, preview and tool row stop taking the mouse; the renewal
            // button above them stays usable.
            if (auto* panel = tile.FindSubControlAs<CContainerUI>(L"VerOfDeviceCtrl"))
                panel->SetMouseChildEnabled(false);
        }
    }
    ShowTileScreenshot(tile, device);
    SetPartText(tile, L"BtnOfDeviceTimeLeft", TimeLeftMarkup(device));
    SetPartText(tile, L"BtnOfChangeGroup", GroupNameOf(groups, device.group_id));
    if (CControlUI* upload = tile.FindSubControl(L"ProOfUpload"))
        upload->SetVisible(device.upload_busy);
    if (auto* detail = tile.FindSubControlAs<CTabLayoutUI>(L"TabOfDeviceDetail"))
        detail->SelectItem(device.operation_busy ? kBusyPage : 0, false);
    ApplyBatchModeToTile(tile, device, batchMode);
}

void ApplyBatchModeToTile(CControlUI& tile, const DeviceRecord& device, bool batchMode)
{
    if (CControlUI* renew = tile.FindSubControl(L"BtnOfDeviceTimeLeft"))
        renew->SetEnabled(!batchMode);
    if (CControlUI* play = tile.FindSubControl(L"CBoxOfCtrl"))
        play->SetVisible(!batchMode);
    if (auto* select = tile.FindSubControlAs<CCheckBoxUI>(L"CBoxOfDevicd")) {
        select->SetVisible(batchMode);
        select->SetCheck(device.selected, false);
    }
    if (CControlUI* tools = tile.FindSubControl(L"HorOfDeviceCtrl"))
        tools->SetVisible(!batchMode);
}

void ShowTileScreenshot(CControlUI& tile, const DeviceRecord& device)
{
    CControlUI* preview = tile.FindSubControl(L"HLayoutOfCtrl");
    if (!preview)
        return;
    const std::wstring file = ScreenshotFilePath(device.id);
    if (CPaintManagerUI* paint = preview->GetManager())
        paint->RemoveImage(file);
    preview->SetBkImage(L"");
    if (IsRegularFile(ScreenshotFilePathNarrow(device.id)))
        preview->SetBkImage(file);
}

int DeviceIndexOfTile(CControlUI& tile)
{
    if (!IsTileMade(tile))
        return static_cast<int>(tile.GetTag());
    CControlUI* button = tile.FindSubControl(L"BtnOfScreenshot");
    return button ? static_cast<int>(button->GetTag()) : -1;
}

bool IsTileMade(CControlUI& tile)
{
    auto* lazy = dynamic_cast<CLazyContainerUI*>(&tile);
    return lazy == nullptr || lazy->IsBuilt();
}
