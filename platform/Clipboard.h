#pragma once

#include <string>

// The system clipboard's text. Both do nothing (or give an empty text) when
// there is no window system. Any thread.
void SetClipboardText(const std::wstring& text);
std::wstring ClipboardText();
