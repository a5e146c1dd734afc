#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/PopupMenu.h"
#include "platform/WindowMessage.h"

// What the icon shows when it is added.
struct TrayIconLook {
    std::wstring tip;
    std::wstring balloonTitle; // the balloon is shown once, when added, if it has a text
    std::wstring balloonText;
    int balloonMs = 1000;
    std::string iconImage; // image file bytes (PNG); empty: the application's icon
};

// The notification-area icon of the window. Clicks on it arrive at the
// callback as the mouse message the window's tray handler expects in lParam:
// WM_LBUTTONUP (click), WM_LBUTTONDBLCLK (double click), WM_RBUTTONUP
// (context click), WM_MBUTTONUP (middle click). UI thread only.
class TrayIcon {
public:
    using Callback = std::function<void(LPARAM mouseMessage)>;

    TrayIcon();
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    void SetCallback(Callback callback);

    // The icon's own menu, which desktops with a StatusNotifierItem host show
    // themselves (exported over D-Bus) and the X11 tray pops on a context
    // click: `items` is asked each time it is about to show (and when the
    // icon is added), `chosen` gets the id of the item picked. With a menu the
    // context click is not passed to the callback (the menu is the answer).
    using MenuItems = std::function<std::vector<MenuItem>()>;
    using MenuChoice = std::function<void(UINT id)>;
    void SetMenu(MenuItems items, MenuChoice chosen);

    // Shows the icon (again) with the look; false when no icon could be made.
    bool Add(const TrayIconLook& look);
    void Remove();
    bool IsAdded() const;

    // What a click on the icon does: passes the mouse message to the callback.
    void DeliverMouseMessage(LPARAM mouseMessage);

    // Whether the desktop shows tray icons at all. Where it does not, hiding
    // the window "to the tray" must minimise it instead, or it could never be
    // brought back.
    static bool IsTrayAvailable();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

inline constexpr LPARAM WM_MBUTTONUP = 0x0208;

// Tests: a hook that sees every add and remove instead of the desktop, and a
// way to pretend there is (1) or is not (0) a tray; -1 asks the desktop.
struct TrayIconEvent {
    enum class Kind { Added, Removed };
    Kind kind;
    TrayIconLook look; // for Added
};
using TrayIconHook = std::function<void(const TrayIconEvent&)>;
void SetTrayIconHook(TrayIconHook hook);
void SetTrayAvailabilityForTesting(int available);
