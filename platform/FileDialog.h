#pragma once

#include <functional>
#include <string>

#include "platform/WindowHandle.h"

// The title used when the caller gives none.
inline constexpr const wchar_t* kDefaultChooseFileTitle = L"请选择游戏启动程序";

// The open-file dialog: one filter that shows every file, the chosen file
// must exist, no initial folder. Returns the full path, or an empty text when
// cancelled (also where no dialog can be shown, see CanShowDialogs). An
// empty title gives kDefaultChooseFileTitle. Any thread.
std::wstring ChooseFile(WindowHandle owner, const std::wstring& title);

// Qt's own Chinese texts for the standard dialogs (file dialog buttons,
// columns, places), from the installed Qt translations. Call once after the
// application object exists; false when they are not installed (the dialogs
// then stay in English).
bool LoadStandardDialogTexts();

// While set, ChooseFile asks the hook instead of a person; it receives the
// title the dialog would have shown and returns the "chosen" path.
using ChooseFileHook = std::function<std::wstring(WindowHandle owner, const std::wstring& title)>;
void SetChooseFileHook(ChooseFileHook hook);
