#pragma once

#include <string>

namespace DuiLib {
class CCheckBoxUI;
class CPaintManagerUI;
} // namespace DuiLib

// The check boxes of the 软件设置 page: 开机启动, 自动登录 and
// 关闭时最小化到托盘 show the settings file's auto_start, auto_login and
// hide_inwin, and ticking one changes the setting through the tray menu's
// own toggle, so the page, the ≡ menu and the file never disagree.
class SettingsBoxes {
public:
    bool Bind(DuiLib::CPaintManagerUI& paint);
    // Reads the file into the boxes (no notification).
    void Show();
    // "selectchanged" of one of the boxes; false for any other sender.
    bool OnSelectChanged(const std::wstring& name);

private:
    DuiLib::CCheckBoxUI* m_autoStart = nullptr;
    DuiLib::CCheckBoxUI* m_autoLogin = nullptr;
    DuiLib::CCheckBoxUI* m_hideInTray = nullptr;
};
