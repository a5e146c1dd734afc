#pragma once

#include <cstdint>
#include <string>

#include "platform/WindowMessage.h"
#include "ui/UIPoint.h"

namespace DuiLib {

class CControlUI;

// One notification: what happened (sType), to which control, and a number.
struct TNotifyUI {
    std::wstring sType;
    std::wstring sVirtualWnd;
    CControlUI* pSender = nullptr;
    std::uint32_t dwTimestamp = 0;
    POINT ptMouse;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

} // namespace DuiLib
