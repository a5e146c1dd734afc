#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "platform/WindowMessage.h"

namespace DuiLib {
class CPaintManagerUI;
struct TNotifyUI;
} // namespace DuiLib

// One page handler of the main window. The window routes a notification to
// the page whose Routes() holds the sender's userdata, and a custom message to
// the page whose Messages() holds its id; the page does the rest. Pages live
// beside their feature (account/, devices/, ...); the window only routes.
// How long a page waits at sign-out for one of its (cancelled) tasks.
inline constexpr std::chrono::seconds kSignOutTaskWait { 10 };

class IPage {
public:
    virtual ~IPage() = default;

    // The userdata values whose notifications this page handles ("DeviceTab").
    virtual std::vector<std::wstring> Routes() const = 0;
    // The custom message ids this page handles (from app/Messages.h).
    virtual std::vector<UINT> Messages() const { return {}; }

    // Finds the page's bound controls once the layout is built; false when
    // one is missing (the window then reports the missing-control failure).
    virtual bool Bind(DuiLib::CPaintManagerUI& paint) = 0;

    // True when the notification was handled.
    virtual bool OnNotify(DuiLib::TNotifyUI& notification) = 0;
    // True when the message was handled.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return false; }
    // WM_COMMAND ids of menus the page showed; true when handled.
    virtual bool OnCommand(UINT id) { return false; }

    // The first successful login of a sign-in: the page starts its first
    // loads. Pages are told in the order of app/window/Pages.cpp.
    virtual void OnSignedIn() { }
    // The sign-out, first step: the session's transfers are cancelled; the
    // page stops what it runs and waits for the tasks it holds (at most
    // kSignOutTaskWait each; messages keep coming meanwhile), so none of
    // them writes the cookie file back once the window has deleted it.
    virtual void OnSigningOut() { }
    // The sign-out, last step (the cookie file is gone, the sign-in page
    // shows): the page empties its lists and its part of the ClientManager.
    virtual void OnSignedOut() { }
};
