#pragma once

// A top-level window of the UI engine as the Qt-free code passes it around:
// an owner for message boxes, dialogs and menus. Null means "no owner".
// Only platform/ and ui/ turn it into the widget behind it (QtWindowHandle.h).
struct NativeWindow;
using WindowHandle = NativeWindow*;
