#pragma once

#include <string>

#include "platform/WindowMessage.h"

// The text a result message carries in lParam: a zero-terminated wide text
// owned by the sender and valid only while the message is handled, or 0.
inline std::wstring MessageText(LPARAM lParam)
{
    const auto* text = reinterpret_cast<const wchar_t*>(lParam);
    return text ? std::wstring(text) : std::wstring();
}
