#include "app/TrayMenu.h"

#include "app/Messages.h"
#include "app/SettingsFile.h"
#include "ui/UIManager.h"

std::vector<MenuItem> TrayMenuItems(const SettingsFile& settings)
{
    const SettingsFile::TrayChecks checks = settings.ReadTrayChecks();
    std::vector<MenuItem> items(4);
    items[0] = MenuItem { msg::kMenuAutoStart, L"开机启动", true, checks.autoStart };
    items[1] = MenuItem { msg::kMenuAutoLogin, L"自动登录", true, checks.autoLogin };
    items[2] = MenuItem { msg::kMenuHideInTray, L"隐藏到任务栏", true, checks.hideInTray };
    items[3] = MenuItem { msg::kMenuQuit, L"退出" };
    return items;
}

TrayIconLook WelcomeTrayLook()
{
    TrayIconLook look;
    look.tip = L"Korvana云手机";
    look.balloonTitle = L"提示";
    look.balloonText = L"欢迎使用！";
    look.balloonMs = 1000;
    DuiLib::CPaintManagerUI::ReadResourceFile(L"img/icon/korvana_32.png", look.iconImage);
    return look;
}

TrayCommandResult HandleTrayCommand(UINT id, const SettingsFile& settings)
{
    switch (id) {
    case msg::kMenuAutoStart:
        settings.ToggleAutoStart();
        return TrayCommandResult::Toggled;
    case msg::kMenuAutoLogin:
        settings.ToggleAutoLogin();
        return TrayCommandResult::Toggled;
    case msg::kMenuHideInTray:
        settings.ToggleHideInTray();
        return TrayCommandResult::Toggled;
    case msg::kMenuQuit:
        return TrayCommandResult::QuitRequested;
    default:
        return TrayCommandResult::NotATrayItem;
    }
}
