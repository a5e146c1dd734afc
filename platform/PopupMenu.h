#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/WindowHandle.h"
#include "platform/WindowMessage.h"

struct MenuItem {
    UINT id = 0;
    std::wstring text;
    bool checkable = false;
    bool checked = false;
    bool enabled = true;
    bool separator = false; // a dividing line; id and text unused
};

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

// Shows a popup menu and returns the id of the item chosen, or 0 when it was
// dismissed (or could not be shown, see CanShowDialogs). Without a point it opens at the mouse position;
// rightAligned puts the menu's right edge at the point (as the tray menu wants). The owner, if any, is
// brought to the front first. UI thread.
UINT ShowPopupMenu(WindowHandle owner, const std::vector<MenuItem>& items,
    std::optional<ScreenPoint> at = std::nullopt, bool rightAligned = false);

// While set, the hook gets the items (with their check marks) and returns the
// chosen id instead of a person.
using PopupMenuHook = std::function<UINT(const std::vector<MenuItem>& items)>;
void SetPopupMenuHook(PopupMenuHook hook);
