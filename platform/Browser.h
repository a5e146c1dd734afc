#pragma once

#include <functional>
#include <string>

#include "platform/WindowHandle.h"

// Opens a web page in the user's browser. False when no browser took it
// (callers ignore that, as the window does). Any thread.
bool OpenUrl(const std::wstring& url);

// OpenUrl, and where no browser takes the page a box (caption "提示") that
// shows the address, so the user can copy it into a browser himself.
void OpenUrlOrShowAddress(const std::wstring& url, WindowHandle owner);

// While set, OpenUrl hands the address to the hook instead of a browser.
using OpenUrlHook = std::function<bool(const std::wstring& url)>;
void SetOpenUrlHook(OpenUrlHook hook);
