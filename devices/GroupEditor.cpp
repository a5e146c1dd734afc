#include "devices/GroupEditor.h"

#include <algorithm>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "app/PageBox.h"
#include "app/Shell.h"
#include "devices/DeviceFilters.h"
#include "devices/DeviceGroups.h"
#include "devices/DeviceTileView.h"
#include "net/NumberText.h"
#include "net/TextConvert.h"
#include "platform/MessageBox.h"
#include "ui/UIButton.h"
#include "ui/UIDialogBuilder.h"
#include "ui/UIEdit.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UITabLayout.h"

using namespace DuiLib;

namespace {

constexpr int kGroupRowPage = 0;
constexpr int kAddGroupRowPage = 1;

} // namespace

bool RefuseAmpersand(const std::wstring& text, WindowHandle owner)
{
    if (text.find(L'&') == std::wstring::npos)
        return false;
    MessageBox(
        L"名称不能包含字符“&”", kDeviceRequestCaption, MessageBoxButtons::Ok, MessageBoxIcon::None, owner);
    return true;
}

GroupEditor::GroupEditor(IShell& shell, DeviceTileView& view)
    : m_shell(shell)
    , m_view(view)
{
}

bool GroupEditor::Bind(CPaintManagerUI& paint)
{
    m_paint = &paint;
    m_groupList = paint.FindControlAs<CListUI>(L"ListOfDeviceGroup");
    m_addGroup = paint.FindControl(L"BtnOfAddGroup");
    return m_groupList && m_addGroup;
}

void GroupEditor::OnSaved()
{
    m_addGroup->SetEnabled(true);
}

void GroupEditor::Clear()
{
    m_groupList->RemoveAll();
}

void GroupEditor::Build()
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
        for (const wchar_t* name : { L"BtnOfDelGroup", L"BtnOfMoveUp", L"BtnOfMoveDown" }) {
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

void GroupEditor::Save()
{
    QueueGroupSave(m_shell.ClientRef(), GroupSetParams(m_shell.Client().devices.groups));
}

void GroupEditor::Add()
{
    std::vector<DeviceGroupRecord>& groups = m_shell.Client().devices.groups;
    m_view.ResetGroupIndex();
    DeviceGroupRecord group;
    group.id = NextGroupId(groups);
    group.name = NewGroupName(group.id);
    groups.push_back(std::move(group));
    m_addGroup->SetEnabled(false);
    Save();
    Build();
}

void GroupEditor::Rename(int row)
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
    m_view.ResetGroupIndex();
    if (GroupNameTaken(groups, name)) {
        ShowNotice(m_shell, L"分组名必须唯一");
        edit->SetText(L"");
        return;
    }
    group.name = name;
    Save();
}

void GroupEditor::Delete(int row)
{
    std::vector<DeviceGroupRecord>& groups = m_shell.Client().devices.groups;
    if (row < 0 || static_cast<std::size_t>(row) >= groups.size())
        return;
    m_view.ResetGroupIndex();
    groups.erase(groups.begin() + row);
    m_addGroup->SetEnabled(false);
    Save();
    Build();
}

void GroupEditor::MoveUp(int row)
{
    std::vector<DeviceGroupRecord>& groups = m_shell.Client().devices.groups;
    if (row < 0 || static_cast<std::size_t>(row) >= groups.size())
        return;
    if (row > 0)
        std::swap(groups[static_cast<std::size_t>(row) - 1], groups[static_cast<std::size_t>(row)]);
    Build();
    Save();
}

void GroupEditor::MoveDown(int row)
{
    std::vector<DeviceGroupRecord>& groups = m_shell.Client().devices.groups;
    if (row < 0 || static_cast<std::size_t>(row) >= groups.size())
        return;
    if (static_cast<std::size_t>(row) + 1 < groups.size())
        std::swap(groups[static_cast<std::size_t>(row)], groups[static_cast<std::size_t>(row) + 1]);
    Build();
    Save();
}
