#pragma once

#include <string>

#include "platform/WindowHandle.h"

class DeviceTileView;
class IShell;

namespace DuiLib {
class CControlUI;
class CListUI;
class CPaintManagerUI;
} // namespace DuiLib

// The group editor (page 1 of TabOfDevice): one row per group with its
// name, delete and move buttons, and a last row to add one. Every edit is
// saved as it is made (the group set is queued for the one saver); an edit
// that changes the groups' order or number takes the view back to 我的设备.
class GroupEditor {
public:
    GroupEditor(IShell& shell, DeviceTileView& view);

    bool Bind(DuiLib::CPaintManagerUI& paint);

    // The rows from the groups as they are now.
    void Build();
    void Add();
    // The name typed into the row's field, once the user agrees.
    void Rename(int row);
    void Delete(int row);
    void MoveUp(int row);
    void MoveDown(int row);
    // UM_DEVICES 1141: the save has gone out, a group may be added again.
    void OnSaved();
    // Sign-out: no rows.
    void Clear();

private:
    void Save();

    IShell& m_shell;
    DeviceTileView& m_view;
    DuiLib::CPaintManagerUI* m_paint = nullptr;
    DuiLib::CListUI* m_groupList = nullptr;
    DuiLib::CControlUI* m_addGroup = nullptr;
};

// The form encoding of the requests splits values at "&", so a name holding
// one would reach the service cut short: true (and a box) for such a name.
bool RefuseAmpersand(const std::wstring& text, WindowHandle owner);
