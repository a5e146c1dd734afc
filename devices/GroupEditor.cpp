// The group side of the device page: the group editor, the "move to group"
// menu and renaming a device.
#include <algorithm>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "app/PageBox.h"
#include "app/Shell.h"
#include "devices/DeviceFilters.h"
#include "devices/DeviceGroups.h"
#include "devices/DevicePage.h"
#include "net/NumberText.h"
#include "net/TextConvert.h"
#include "platform/MessageBox.h"
#include "platform/PopupMenu.h"
#include "ui/UIButton.h"
#include "ui/UIDialogBuilder.h"
#include "ui/UIEdit.h"
#include "ui/UILayout.h"
#include "ui/UIList.h"

using namespace DuiLib;

namespace {

constexpr int kGroupRowPage = 0;
constexpr int kAddGroupRowPage = 1;

// The form encoding of the requests splits values at "&", so a name holding
// one would reach the service cut short.
bool RefuseAmpersand(const std::wstring& text, WindowHandle owner)
{
    if (text.find(L'&') == std::wstring::npos)
        return false;
    MessageBox(L"名称不能包含字符“&”", kDeviceRequestCaption, MessageBoxButtons::Ok, MessageBoxIcon::None, owner);
    return true;
}

}  // namespace

void DevicePage::BuildGroupManagementList()
{
    const std::vector<DeviceGroupRecord>& groups = m_shell.Client().devices.groups;
    m_groupList->RemoveAll();
    for (std::size_t i = 0; i < groups.size(); ++i) {
        std::unique_ptr<CControlUI> row = BuildElement(L"DeviceGroupElement.xml", m_paint);
        if (!row)
            continue;
        const auto tag = static_cast<std::uintptr_t>(i);
        if (CControlUI* label = row->FindSubControl(L"LabOfGroupIndex"))
            label->SetText(L"分组" + IntToWide(static_cast<int>(i) + 1));
        if (CControlUI* edit = row->FindSubControl(L"EditOfGroupName")) {
            edit->SetText(AnsiToWide(groups[i].name));
            edit->SetTag(tag);
        }
        for (const wchar_t* name : {L"BtnOfDelGroup", L"BtnOfMoveUp", L"BtnOfMoveDown"}) {
            if (CControlUI* button = row->FindSubControl(name))
                button->SetTag(tag);
        }
        if (auto* tab = row->FindSubControlAs<CTabLayoutUI>(L"TabOfDeviceGroup"))
            tab->SelectItem(kGroupRowPage, false);
        m_groupList->Add(std::move(row));
    }
    if (std::unique_ptr<CControlUI> row = BuildElement(L"DeviceGroupElement.xml", m_paint)) {
        if (auto* tab = row->FindSubControlAs<CTabLayoutUI>(L"TabOfDeviceGroup"))
            tab->SelectItem(kAddGroupRowPage, false);
        m_groupList->Add(std::move(row));
    }
}

void DevicePage::SaveGroupSet()
{
    QueueGroupSave(m_shell.ClientRef(), GroupSetParams(m_shell.Client().devices.groups));
}

void DevicePage::AddGroup()
{
    std::vector<DeviceGroupRecord>& groups = m_shell.Client().devices.groups;
    m_currentGroupIndex = 0;
    DeviceGroupRecord group;
    group.id = NextGroupId(groups);
    group.name = NewGroupName(group.id);
    groups.push_back(std::move(group));
    m_addGroup->SetEnabled(false);
    SaveGroupSet();
    BuildGroupManagementList();
}

void DevicePage::RenameGroup(int row)
{
    std::vector<DeviceGroupRecord>& groups = m_shell.Client().devices.groups;
    if (row < 0 || static_cast<std::size_t>(row) >= groups.size())
        return;
    DeviceGroupRecord& group = groups[static_cast<std::size_t>(row)];
    CEditUI* edit = nullptr;
    if (CControlUI* item = m_groupList->GetItemAt(row))
        edit = item->FindSubControlAs<CEditUI>(L"EditOfGroupName");
    if (!edit)
        return;
    const std::wstring text = edit->GetText();
    if (text.empty()) {
        edit->SetText(AnsiToWide(group.name));
        return;
    }
    if (!AskOkCancel(m_shell, L"要保存么？")) {
        edit->SetText(AnsiToWide(group.name));
        return;
    }
    if (text == group.edited_name)
        return;
    if (RefuseAmpersand(text, m_shell.Owner())) {
        edit->SetText(AnsiToWide(group.name));
        return;
    }
    const std::string name = WideToAnsi(text);
    if (name.empty()) {
        // Not a clash with another group: the name cannot be stored at all.
        // Nothing is remembered, so the same name may be tried again.
        ShowNotice(m_shell, kGroupNameNotStorableText);
        edit->SetText(AnsiToWide(group.name));
        return;
    }
    group.edited_name = text;
    m_currentGroupIndex = 0;
    if (GroupNameTaken(groups, name)) {
        ShowNotice(m_shell, L"分组名必须唯一");
        edit->SetText(L"");
        return;
    }
    group.name = name;
    SaveGroupSet();
}

void DevicePage::DeleteGroup(int row)
{
    std::vector<DeviceGroupRecord>& groups = m_shell.Client().devices.groups;
    if (row < 0 || static_cast<std::size_t>(row) >= groups.size())
        return;
    m_currentGroupIndex = 0;
    groups.erase(groups.begin() + row);
    m_addGroup->SetEnabled(false);
    SaveGroupSet();
    BuildGroupManagementList();
}

void DevicePage::MoveGroupUp(int row)
{
    std::vector<DeviceGroupRecord>& groups = m_shell.Client().devices.groups;
    if (row < 0 || static_cast<std::size_t>(row) >= groups.size())
        return;
    if (row > 0)
        std::swap(groups[static_cast<std::size_t>(row) - 1], groups[static_cast<std::size_t>(row)]);
    BuildGroupManagementList();
    SaveGroupSet();
}

void DevicePage::MoveGroupDown(int row)
{
    std::vector<DeviceGroupRecord>& groups = m_shell.Client().devices.groups;
    if (row < 0 || static_cast<std::size_t>(row) >= groups.size())
        return;
    if (static_cast<std::size_t>(row) + 1 < groups.size())
        std::swap(groups[static_cast<std::size_t>(row)], groups[static_cast<std::size_t>(row) + 1]);
    BuildGroupManagementList();
    SaveGroupSet();
}

void DevicePage::ShowGroupMenu(int device)
{
    const DeviceMembers& members = m_shell.Client().devices;
    if (device >= 0 && !ValidDevice(device))
        return;
    std::vector<MenuItem> items;
    for (std::size_t g = 0; g < members.groups.size(); ++g) {
        MenuItem item;
        item.id = msg::kGroupMenuFirstId + static_cast<UINT>(g);
        item.text = L"移动到 " + AnsiToWide(members.groups[g].name);
        item.enabled = device < 0 ||
                       GroupIdText(members.groups[g]) != members.devices[static_cast<std::size_t>(device)].group_id;
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
    if (IsBatchMode()) {
        // Every selected device goes to the chosen group, those outside the
        // current view too: that is what the request asks of the service.
        for (DeviceRecord& d : members.devices) {
            if (d.selected)
                d.group_id = groupId;
        }
        StartOwned(SaveSelectedDevicesGroup, SelectedDevicesGroupParams(members.devices));
    } else {
        if (!ValidDevice(m_menuDeviceIndex))
            return;
        DeviceRecord& device = members.devices[static_cast<std::size_t>(m_menuDeviceIndex)];
        device.group_id = groupId;
        StartOwned(SaveDeviceGroup, DeviceGroupParams(device));
    }
    RefreshCurrentView();
}

void DevicePage::OnRenameDeviceClick(int device, CControlUI* box)
{
    auto* check = dynamic_cast<CCheckBoxUI*>(box);
    // "click" comes before the toggle: only the click that checks the box
    // opens the field.
    if (!check || check->IsSelected() || !ValidDevice(device))
        return;
    CControlUI* tile = TileOf(device);
    CControlUI* edit = tile ? tile->FindSubControl(L"EditOfDeviceName") : nullptr;
    if (!edit)
        return;
    edit->SetEnabled(true);
    edit->SetText(L"");
    edit->SetFocus();
}

void DevicePage::OnDeviceNameEdited(int device, CEditUI* edit)
{
    if (!edit || !ValidDevice(device))
        return;
    DeviceRecord& record = Devices()[static_cast<std::size_t>(device)];
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
    if (CControlUI* tile = TileOf(device)) {
        if (auto* box = tile->FindSubControlAs<CCheckBoxUI>(L"CBoxOfModifyDeviceName"))
            box->SetCheck(false, false);
    }
}
