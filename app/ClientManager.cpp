#include "app/ClientManager.h"

ClientManager::ClientManager(IMessageTarget* window)
    : m_window(window)
{
}

ClientManager::~ClientManager() = default;

IMessageTarget* ClientManager::Enter()
{
    std::lock_guard lock(m_windowMutex);
    if (m_window)
        ++m_sendsInFlight;
    return m_window;
}

void ClientManager::Leave()
{
    std::lock_guard lock(m_windowMutex);
    if (--m_sendsInFlight == 0)
        m_windowIdle.notify_all();
}

LRESULT ClientManager::Send(UINT msg, WPARAM wParam, const std::wstring& text)
{
    return Send(msg, wParam, reinterpret_cast<LPARAM>(text.c_str()));
}

LRESULT ClientManager::Send(UINT msg, WPARAM wParam, LPARAM lParam)
{
    IMessageTarget* window = Enter();
    if (!window)
        return 0;
    LRESULT result = window->Send(msg, wParam, lParam);
    Leave();
    return result;
}

void ClientManager::Post(UINT msg, WPARAM wParam, LPARAM lParam)
{
    IMessageTarget* window = Enter();
    if (!window)
        return;
    window->Post(msg, wParam, lParam);
    Leave();
}

void ClientManager::DetachWindow()
{
    std::unique_lock lock(m_windowMutex);
    m_window = nullptr;
    m_windowIdle.wait(lock, [this] { return m_sendsInFlight == 0; });
}

bool ClientManager::HasWindow() const
{
    std::lock_guard lock(m_windowMutex);
    return m_window != nullptr;
}
