#include "devices/DevicePage.h"

#include <ctime>
#include <vector>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "app/PageBox.h"
#include "app/Shell.h"
#include "app/actions/CommerceActions.h"
#include "app/actions/ControlActions.h"
#include "app/actions/MarketActions.h"
#include "devices/DeviceFilters.h"
#include "devices/DeviceGroups.h"
#include "devices/DeviceList.h"
#include "devices/GroupEditor.h"
#include "net/TextConvert.h"
#include "platform/PopupMenu.h"
#include "ui/UICheckBox.h"
#include "ui/UIEdit.h"
#include "ui/UIManager.h"

using namespace DuiLib;

namespace {

int TagOf(const CControlUI* control)
{
    return static_cast<int>(control->GetTag());
}

} // namespace

DevicePage::DevicePage(IShell& shell)
    : m_shell(shell)
    , m_view(shell)
    , m_load(shell, m_view)
    , m_groups(shell, m_view)
{
}

DevicePage::~DevicePage() = default;

std::vector<UINT> DevicePage::Messages() const
{
    return { msg::UM_DEVICES };
}

bool DevicePage::Bind(CPaintManagerUI& paint)
{
    m_paint = &paint;
    const bool bound = m_view.Bind(paint);
    return m_load.Bind(paint) && m_groups.Bind(paint) && bound && paint.FindControl(L"TreeViewOfDevice")
        && paint.FindControl(L"TreeRootNodeOfDevice");
}

bool DevicePage::IsBatchMode() const
{
    return m_view.IsBatchMode();
}

// ---------------------------------------------------------------- notifications

bool DevicePage::OnNotify(TNotifyUI& notification)
{
    CControlUI* sender = notification.pSender;
    if (!sender)
        return false;
    if (m_view.OnNotify(notification))
        return true;
    const std::wstring& name = sender->GetName();
    const std::wstring& type = notification.sType;
    if (type == DUI_MSGTYPE_CLICK)
        return OnClick(sender, name);
    if (type == DUI_MSGTYPE_SETFOCUS && name == L"EditOfGroupName") {
        sender->SetText(L"");
        return true;
    }
    if (type == DUI_MSGTYPE_KILLFOCUS && name == L"EditOfGroupName") {
        m_groups.Rename(TagOf(sender));
        return true;
    }
    if (type == DUI_MSGTYPE_RETURN && name == L"EditOfDeviceName") {
        // Enter ends the edit as leaving the field does: the name is saved.
        m_paint->SetFocus(nullptr);
        return true;
    }
    if (type == DUI_MSGTYPE_KILLFOCUS && name == L"EditOfDeviceName") {
        OnDeviceNameEdited(TagOf(sender), dynamic_cast<CEditUI*>(sender));
        return true;
    }
    return false;
}

bool DevicePage::OnClick(CControlUI* sender, const std::wstring& name)
{
    if (name == L"BtnOfRefreshDeviceList") {
        StartDeviceListLoad();
    } else if (name == L"BtnOfEditDeviceGroup") {
        m_groups.Build();
        m_view.ShowGroupEditor();
    } else if (name == L"BtnOfDeviceTab" || name == L"BtnOfModifyAllGroup"
        || name == L"BtnOfCancelModifyGroup") {
        // Every edit is saved as it is made, so the editor's buttons only
        // lead back to the list.
        m_view.ShowList();
    } else if (name == L"BtnOfAddGroup") {
        m_groups.Add();
    } else if (name == L"BtnOfDelGroup") {
        m_groups.Delete(TagOf(sender));
    } else if (name == L"BtnOfMoveUp") {
        m_groups.MoveUp(TagOf(sender));
    } else if (name == L"BtnOfMoveDown") {
        m_groups.MoveDown(TagOf(sender));
    } else if (name == L"BtnOfChangeGroup") {
        ShowGroupMenu(TagOf(sender));
    } else if (name == L"BtnOfMove") {
        ShowGroupMenu(-1);
    } else if (name == L"CBoxOfModifyDeviceName") {
        OnRenameDeviceClick(TagOf(sender), sender);
    } else if (name == L"BtnOfScreenshot") {
        m_view.OnScreenshotClick(TagOf(sender));
    } else if (name == L"CBoxOfDevicd") {
        // "click" comes before the box toggles: the device takes the state
        // the box is about to show.
        const int device = TagOf(sender);
        if (auto* box = dynamic_cast<CCheckBoxUI*>(sender); box && m_view.ValidDevice(device))
            SetDeviceSelected(m_shell.Client().devices, static_cast<std::size_t>(device), !box->IsSelected());
    } else if (name == L"BtnOfDeviceTimeLeft") {
        const int device = TagOf(sender);
        if (!m_view.ValidDevice(device))
            return true;
        SelectOnlyDevice(m_shell.Client().devices, static_cast<std::size_t>(device));
        OpenRenewal();
    } else if (name == L"BtnOfChargeInBat") {
        ChargeSelected();
    } else if (name == L"BtnOfAddNew") {
        m_shell.Commerce().ShowGoods(Goods::Devices);
    } else if (name == L"BtnOfDeviceInstall") {
        const int device = TagOf(sender);
        if (!m_view.ValidDevice(device))
            return true;
        SelectOnlyDevice(m_shell.Client().devices, static_cast<std::size_t>(device));
        OpenInstall();
    } else if (name == L"BtnOfInstall") {
        OpenInstall();
    } else {
        // The device control's buttons (players, reboot, reset, uploads).
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- messages

bool DevicePage::OnMessage(UINT id, WPARAM wParam, LPARAM lParam)
{
    if (id != msg::UM_DEVICES)
        return false;
    switch (wParam) {
    case msg::kDevicesProgress:
    case msg::kDevicesRead:
    case msg::kDevicesFailed:
    case msg::kGroupsLoaded:
        m_load.OnMessage(wParam, lParam);
        return true;
    case msg::kScreenshotUpdated:
    case msg::kScreenshotFailed:
        m_view.OnScreenshotResult(static_cast<int>(lParam), wParam == msg::kScreenshotUpdated);
        return true;
    case msg::kGroupsSaved:
        m_groups.OnSaved();
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- loads

void DevicePage::StartGroupLoad()
{
    m_load.StartGroupLoad();
}

void DevicePage::StartDeviceListLoad()
{
    // A refresh asked for while a load runs is merged into it.
    if (m_load.IsLoading())
        return;
    // The players go (their devices' tiles are rebuilt); the synchronised
    // control program stays.
    m_shell.Control().ClosePlayers();
    // The refresh starts a new generation of catalogue rows as well.
    m_shell.Client().RefreshStamp = static_cast<std::int64_t>(std::time(nullptr));
    m_load.Start();
}

void DevicePage::OnSignedIn()
{
    StartGroupLoad();
}

void DevicePage::OnSigningOut()
{
    m_load.OnSigningOut();
}

void DevicePage::OnSignedOut()
{
    DeviceMembers& members = m_shell.Client().devices;
    m_view.RemoveTiles();
    {
        std::lock_guard lock(members.listMutex);
        members.devices.clear();
    }
    members.groups.clear();
    m_groups.Clear();
    m_view.Clear();
}

// ---------------------------------------------------------------- views

void DevicePage::RefreshDeviceView()
{
    // Other pages (the install column, the main menu's page switch) redraw
    // the device view; only the selector's own occasions bring it forward.
    m_view.FillGroupSelector(false);
}

void DevicePage::ReloadTileImage(int device)
{
    m_view.ReloadTileImage(device);
}

// ---------------------------------------------------------------- device edits

void DevicePage::ShowGroupMenu(int device)
{
    const DeviceMembers& members = m_shell.Client().devices;
    if (device >= 0 && !m_view.ValidDevice(device))
        return;
    std::vector<MenuItem> items;
    for (std::size_t g = 0; g < members.groups.size(); ++g) {
        MenuItem item;
        item.id = msg::kGroupMenuFirstId + static_cast<UINT>(g);
        item.text = L"移动到 " + AnsiToWide(members.groups[g].name);
        item.enabled = device < 0
            || GroupIdText(members.groups[g]) != members.devices[static_cast<std::size_t>(device)].group_id;
        items.push_back(std::move(item));
    }
    if (items.empty())
        return;
    m_menuDeviceIndex = device;
    if (const UINT id = ShowPopupMenu(m_shell.Owner(), items))
        OnCommand(id);
}

bool DevicePage::OnCommand(UINT id)
{
    if (!m_shell.ClientRef())
        return false;
    const std::size_t groups = m_shell.Client().devices.groups.size();
    if (id < msg::kGroupMenuFirstId || id - msg::kGroupMenuFirstId >= groups)
        return false;
    OnGroupMenuCommand(static_cast<int>(id - msg::kGroupMenuFirstId));
    return true;
}

void DevicePage::OnGroupMenuCommand(int g)
{
    DeviceMembers& members = m_shell.Client().devices;
    const std::wstring groupId = GroupIdText(members.groups[static_cast<std::size_t>(g)]);
    if (m_view.IsBatchMode()) {
        // Every selected device goes to the chosen group, those outside the
        // current view too: that is what the request asks of the service.
        for (DeviceRecord& d : members.devices) {
            if (d.selected)
                d.group_id = groupId;
        }
        StartOwned(SaveSelectedDevicesGroup, SelectedDevicesGroupParams(members.devices));
    } else {
        if (!m_view.ValidDevice(m_menuDeviceIndex))
            return;
        DeviceRecord& device = members.devices[static_cast<std::size_t>(m_menuDeviceIndex)];
        device.group_id = groupId;
        StartOwned(SaveDeviceGroup, DeviceGroupParams(device));
    }
    m_view.RefreshCurrentView();
}

void DevicePage::OnRenameDeviceClick(int device, CControlUI* box)
{
    auto* check = dynamic_cast<CCheckBoxUI*>(box);
    // "click" comes before the toggle: only the click that checks the box
    // opens the field.
    if (!check || check->IsSelected() || !m_view.ValidDevice(device))
        return;
    CControlUI* tile = m_view.TileOf(device);
    CControlUI* edit = tile ? tile->FindSubControl(L"EditOfDeviceName") : nullptr;
    if (!edit)
        return;
    edit->SetEnabled(true);
    edit->SetText(L"");
    edit->SetFocus();
}

void DevicePage::OnDeviceNameEdited(int device, CEditUI* edit)
{
    if (!edit || !m_view.ValidDevice(device))
        return;
    DeviceRecord& record = m_shell.Client().devices.devices[static_cast<std::size_t>(device)];
    edit->SetEnabled(false);
    const std::wstring text = edit->GetText();
    if (text.empty()) {
        edit->SetText(record.name);
    } else if (!AskOkCancel(m_shell, L"要保存么？")) {
        edit->SetText(record.name);
    } else if (text != record.name) {
        if (RefuseAmpersand(text, m_shell.Owner())) {
            edit->SetText(record.name);
        } else {
            record.name = text;
            StartOwned(SaveDeviceName, DeviceNameParams(record));
        }
    }
    if (CControlUI* tile = m_view.TileOf(device)) {
        if (auto* box = tile->FindSubControlAs<CCheckBoxUI>(L"CBoxOfModifyDeviceName"))
            box->SetCheck(false, false);
    }
}

// ---------------------------------------------------------------- hand-overs

void DevicePage::OpenRenewal()
{
    m_shell.Commerce().ShowGoods(Goods::Renewal);
}

void DevicePage::ChargeSelected()
{
    std::wstring plan;
    for (const DeviceRecord& d : m_shell.Client().devices.devices) {
        if (!d.selected || d.bind_plan_type.empty())
            continue;
        if (plan.empty()) {
            plan = d.bind_plan_type;
        } else if (d.bind_plan_type != plan) {
            ShowError(m_shell, L"批量续费的必须为同类型设备！");
            return;
        }
    }
    OpenRenewal();
}

void DevicePage::OpenInstall()
{
    m_shell.Market().ShowInstall();
}

void DevicePage::StartOwned(void (*routine)(ClientManager&, std::wstring&), std::wstring params)
{
    m_shell.Client().devices.boxOwner = m_shell.Owner();
    m_shell.StartWith(routine, std::move(params)).Drop();
}
