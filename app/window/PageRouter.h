#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/window/Pages.h"

class IShell;

// The pages of the window and the ways into them: a notification goes to the
// pages whose Routes() hold the sender's userdata, a custom message to those
// whose Messages() hold its id, a menu command to every page, each in the
// order of Pages.cpp until one handles it; the sign-in and the two steps of
// the sign-out reach every page in that order.
class PageRouter {
public:
    explicit PageRouter(IShell& shell);

    PageSet& Pages() { return *m_pages; }

    // Every page's Bind; false at the first that misses a control.
    bool Bind(DuiLib::CPaintManagerUI& paint);
    bool RouteNotify(DuiLib::TNotifyUI& notification);
    bool RouteMessage(UINT id, WPARAM wParam, LPARAM lParam);
    bool RouteCommand(UINT id);

    void SignedIn();
    void SigningOut();
    void SignedOut();

private:
    std::unique_ptr<PageSet> m_pages;
    std::vector<std::pair<std::wstring, IPage*>> m_routes;
    std::map<UINT, std::vector<IPage*>> m_messageRoutes;
};
