#pragma once

// Basic types of the UI engine: rectangles, notifications, events, flags.
// Qt-free: feature code includes the engine's headers.

#include <cstdint>
#include <string>

#include "platform/WindowMessage.h"

// The handled flag of the message handlers, as the window vocabulary has it.
using BOOL = int;
#ifndef TRUE
inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
#endif

namespace DuiLib {

struct POINT {
    int x = 0;
    int y = 0;
};

struct SIZE {
    int cx = 0;
    int cy = 0;
};

struct RECT {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(POINT pt) const { return pt.x >= left && pt.x < right && pt.y >= top && pt.y < bottom; }
    bool Intersects(const RECT& o) const
    {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
    RECT Intersected(const RECT& o) const;
    void Offset(int dx, int dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    bool operator==(const RECT&) const = default;
};

class CControlUI;
class CPaintManagerUI;

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

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

// Notification types.
inline constexpr const wchar_t* DUI_MSGTYPE_WINDOWINIT = L"windowinit";
inline constexpr const wchar_t* DUI_MSGTYPE_CLICK = L"click";
inline constexpr const wchar_t* DUI_MSGTYPE_SELECTCHANGED = L"selectchanged";
inline constexpr const wchar_t* DUI_MSGTYPE_ITEMSELECT = L"itemselect";
inline constexpr const wchar_t* DUI_MSGTYPE_TEXTCHANGED = L"textchanged";
inline constexpr const wchar_t* DUI_MSGTYPE_SETFOCUS = L"setfocus";
inline constexpr const wchar_t* DUI_MSGTYPE_KILLFOCUS = L"killfocus";
inline constexpr const wchar_t* DUI_MSGTYPE_TABSELECT = L"tabselect";
inline constexpr const wchar_t* DUI_MSGTYPE_TIMER = L"timer";
inline constexpr const wchar_t* DUI_MSGTYPE_LINK = L"link";
inline constexpr const wchar_t* DUI_MSGTYPE_MOUSEENTER = L"mouseenter";
inline constexpr const wchar_t* DUI_MSGTYPE_MOUSELEAVE = L"mouseleave";
// Enter in a single-line edit that does not want it.
inline constexpr const wchar_t* DUI_MSGTYPE_RETURN = L"return";

// Event mask of rich edits: report text changes.
inline constexpr std::uint32_t ENM_CHANGE = 0x00000001;

// Text alignment flags (the `align` attribute).
enum : unsigned {
    DT_LEFT = 0x0000,
    DT_CENTER = 0x0001,
    DT_RIGHT = 0x0002,
    DT_VCENTER = 0x0004,
    DT_BOTTOM = 0x0008,
    DT_TOP = 0x0010,
    DT_SINGLELINE = 0x0020,
    DT_WORDBREAK = 0x0040,
    DT_END_ELLIPSIS = 0x0080,
};

// Where a window's skin comes from.
enum UILIB_RESOURCETYPE {
    UILIB_FILE = 1,         // a folder on disk (GetSkinFolder below the resource path)
    UILIB_ZIP = 2,          // a ZIP file on disk (GetZIPFileName)
    UILIB_RESOURCE = 3,     // the already registered resource source
    UILIB_ZIPRESOURCE = 4,  // a ZIP registered under GetResourceID()
};

// Input events the manager hands to controls.
enum UIEVENT {
    UIEVENT_MOUSEMOVE = 1,
    UIEVENT_MOUSELEAVE,
    UIEVENT_MOUSEENTER,
    UIEVENT_BUTTONDOWN,
    UIEVENT_BUTTONUP,
    UIEVENT_DBLCLICK,
    UIEVENT_RBUTTONDOWN,
    UIEVENT_SCROLLWHEEL,
    UIEVENT_KEYDOWN,
    UIEVENT_SETFOCUS,
    UIEVENT_KILLFOCUS,
    UIEVENT_TIMER,
};

// Keys as the engine names them (independent of the backend).
enum UIKEY {
    UIKEY_NONE = 0,
    UIKEY_TAB,
    UIKEY_RETURN,
    UIKEY_ESCAPE,
    UIKEY_SPACE,
    UIKEY_UP,
    UIKEY_DOWN,
    UIKEY_OTHER,
};

struct TEventUI {
    int Type = 0;
    CControlUI* pSender = nullptr;
    POINT ptMouse;
    int key = UIKEY_NONE;
    bool shift = false;
    bool ctrl = false;
    int wheelDelta = 0;  // in 1/120 notches, positive = away from the user
    WPARAM wParam = 0;
};

}  // namespace DuiLib
