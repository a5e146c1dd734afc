#include "app/window/PageRouter.h"

#include "ui/UIControl.h"
#include "ui/UIManager.h"

PageRouter::PageRouter(IShell& shell)
    : m_pages(CreatePages(shell))
{
    for (const std::unique_ptr<IPage>& page : m_pages->pages) {
        for (const std::wstring& route : page->Routes())
            m_routes.emplace_back(route, page.get());
        for (UINT id : page->Messages())
            m_messageRoutes[id].push_back(page.get());
    }
}

bool PageRouter::Bind(DuiLib::CPaintManagerUI& paint)
{
    for (const std::unique_ptr<IPage>& page : m_pages->pages) {
        if (!page->Bind(paint))
            return false;
    }
    return true;
}

bool PageRouter::RouteNotify(DuiLib::TNotifyUI& notification)
{
    if (!notification.pSender)
        return false;
    const std::wstring route = notification.pSender->GetUserData();
    if (route.empty())
        return false;
    for (const auto& [name, page] : m_routes) {
        if (name == route && page->OnNotify(notification))
            return true;
    }
    return false;
}

bool PageRouter::RouteMessage(UINT id, WPARAM wParam, LPARAM lParam)
{
    auto it = m_messageRoutes.find(id);
    if (it == m_messageRoutes.end())
        return false;
    for (IPage* page : it->second) {
        if (page->OnMessage(id, wParam, lParam))
            return true;
    }
    return false;
}

bool PageRouter::RouteCommand(UINT id)
{
    for (const std::unique_ptr<IPage>& page : m_pages->pages) {
        if (page->OnCommand(id))
            return true;
    }
    return false;
}

void PageRouter::SignedIn()
{
    for (const std::unique_ptr<IPage>& page : m_pages->pages)
        page->OnSignedIn();
}

void PageRouter::SigningOut()
{
    for (const std::unique_ptr<IPage>& page : m_pages->pages)
        page->OnSigningOut();
}

void PageRouter::SignedOut()
{
    for (const std::unique_ptr<IPage>& page : m_pages->pages)
        page->OnSignedOut();
}
