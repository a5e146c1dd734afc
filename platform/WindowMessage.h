#pragma once

#include <cstdint>

// The window-message vocabulary that the client's logic speaks: an id, a
// sub-code or index in wParam, a text pointer or an integer in lParam.
using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_DROPFILES = 0x0233;
inline constexpr UINT WM_USER = 0x0400;
inline constexpr UINT WM_QUIT = 0x0012;

// Mouse messages as the tray callback carries them in lParam.
inline constexpr LPARAM WM_MOUSEMOVE = 0x0200;
inline constexpr LPARAM WM_LBUTTONUP = 0x0202;
inline constexpr LPARAM WM_LBUTTONDBLCLK = 0x0203;
inline constexpr LPARAM WM_RBUTTONUP = 0x0205;

// Where task results go. The window implements it on its UI thread; tests
// implement it to capture what tasks report.
class IMessageTarget {
public:
    virtual ~IMessageTarget() = default;
    // Delivers the message and returns once the receiver has handled it.
    // From the receiver's own thread the handler runs at once.
    virtual LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    // Queues the message and returns at once; order is kept with Send.
    virtual void Post(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
};
