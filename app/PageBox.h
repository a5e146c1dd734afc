#pragma once

#include <string>

#include "platform/MessageBox.h"

class IShell;

// The boxes a page shows, owned by the main window (see IShell::Owner).
// An error: caption "错误".
void ShowError(IShell& shell, const std::wstring& text, MessageBoxIcon icon = MessageBoxIcon::None);
// A notice: caption "提示".
void ShowNotice(IShell& shell, const std::wstring& text, MessageBoxIcon icon = MessageBoxIcon::None);
// A question with 确定 and 取消, caption "提示"; true for 确定.
bool AskOkCancel(IShell& shell, const std::wstring& text, MessageBoxIcon icon = MessageBoxIcon::Warning);
