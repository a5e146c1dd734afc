#pragma once

#include <vector>

#include "platform/PopupMenu.h"
#include "platform/TrayIcon.h"
#include "platform/WindowMessage.h"

class SettingsFile;

// The tray menu ("设置"): 开机启动, 自动登录, 隐藏到任务栏 with their check
// marks read from the settings now, then 退出.
std::vector<MenuItem> TrayMenuItems(const SettingsFile& settings);

enum class TrayCommandResult {
    NotATrayItem, // the id belongs to someone else
    Toggled, // a setting was toggled
    QuitRequested, // 退出: the window asks to close with kCloseAsk
};

// The icon added at the first login of a sign-in: tip "Korvana云手机" and
// the balloon "欢迎使用！" (caption "提示", 1 s).
TrayIconLook WelcomeTrayLook();

// What choosing a tray item does to the settings.
TrayCommandResult HandleTrayCommand(UINT id, const SettingsFile& settings);
