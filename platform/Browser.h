#pragma once

#include <functional>
#include <string>

// Opens a web page in the user's browser. False when no browser took it
// (callers ignore that, as the window does). Any thread.
bool OpenUrl(const std::wstring& url);

// While set, OpenUrl hands the address to the hook instead of a browser.
using OpenUrlHook = std::function<bool(const std::wstring& url)>;
void SetOpenUrlHook(OpenUrlHook hook);
