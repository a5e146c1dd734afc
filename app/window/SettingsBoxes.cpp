#include "app/window/SettingsBoxes.h"

#include "app/SettingsFile.h"
#include "ui/UICheckBox.h"
#include "ui/UIManager.h"

using namespace DuiLib;

bool SettingsBoxes::Bind(CPaintManagerUI& paint)
{
    m_autoStart = paint.FindControlAs<CCheckBoxUI>(L"CBoxOfOnStartUp");
    m_autoLogin = paint.FindControlAs<CCheckBoxUI>(L"CBoxOfAutologin");
    m_hideInTray = paint.FindControlAs<CCheckBoxUI>(L"CBoxOfMinToTray");
    return m_autoStart && m_autoLogin && m_hideInTray;
}

void SettingsBoxes::Show()
{
    const SettingsFile::TrayChecks checks = SettingsFile::OfLocalPaths().ReadTrayChecks();
    m_autoStart->SetCheck(checks.autoStart, false);
    m_autoLogin->SetCheck(checks.autoLogin, false);
    m_hideInTray->SetCheck(checks.hideInTray, false);
}

bool SettingsBoxes::OnSelectChanged(const std::wstring& name)
{
    CCheckBoxUI* box = name == L"CBoxOfOnStartUp" ? m_autoStart
        : name == L"CBoxOfAutologin"              ? m_autoLogin
        : name == L"CBoxOfMinToTray"              ? m_hideInTray
                                                  : nullptr;
    if (!box)
        return false;
    const SettingsFile settings = SettingsFile::OfLocalPaths();
    const SettingsFile::TrayChecks checks = settings.ReadTrayChecks();
    const bool now = box == m_autoStart ? checks.autoStart
        : box == m_autoLogin            ? checks.autoLogin
                                        : checks.hideInTray;
    // The toggles flip what the file says; the box asks for a state.
    if (now != box->IsSelected()) {
        if (box == m_autoStart)
            settings.ToggleAutoStart();
        else if (box == m_autoLogin)
            settings.ToggleAutoLogin();
        else
            settings.ToggleHideInTray();
    }
    Show();
    return true;
}
