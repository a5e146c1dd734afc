#pragma once

// Flags and names of the UI engine: notification types, alignment, events, keys.
// Qt-free: feature code includes the engine's headers.

#include <cstdint>

// The handled flag of the message handlers, as the window vocabulary has it.
using BOOL = int;
#ifndef TRUE
inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
#endif

namespace DuiLib {

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
    UILIB_FILE = 1, // a folder on disk (GetSkinFolder below the resource path)
    UILIB_ZIP = 2, // a ZIP file on disk (GetZIPFileName)
    UILIB_RESOURCE = 3, // the already registered resource source
    UILIB_ZIPRESOURCE = 4, // a ZIP registered under GetResourceID()
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

} // namespace DuiLib
