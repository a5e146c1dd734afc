#pragma once

#include "platform/WindowMessage.h"
#include "ui/UIDefs.h"
#include "ui/UIPoint.h"

namespace DuiLib {

class CControlUI;

struct TEventUI {
    int Type = 0;
    CControlUI* pSender = nullptr;
    POINT ptMouse;
    int key = UIKEY_NONE;
    bool shift = false;
    bool ctrl = false;
    int wheelDelta = 0; // in 1/120 notches, positive = away from the user
    WPARAM wParam = 0;
};

} // namespace DuiLib
