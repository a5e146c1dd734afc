#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "account/AccountMembers.h"
#include "account/SignupMembers.h"
#include "commerce/CommerceMembers.h"
#include "devices/DeviceMembers.h"
#include "devices/control/ControlMembers.h"
#include "market/CatalogueMembers.h"
#include "notify/NotifyMembers.h"
#include "platform/WindowMessage.h"

// The one shared state object of the client. The window creates it (with
// std::make_shared) on its first "windowinit" and every running task holds a
// reference, so it lives until the last of them lets go.
//
// No lock guards the members: a task writes only its own feature's group,
// then hands it over with Send, which returns once the window has handled
// the message; the window reads the members only while handling that message
// or later, and writes a task's inputs before starting it.
class ClientManager : public std::enable_shared_from_this<ClientManager> {
public:
    explicit ClientManager(IMessageTarget* window);
    ~ClientManager();
    ClientManager(const ClientManager&) = delete;
    ClientManager& operator=(const ClientManager&) = delete;

    // Reports to the window. The text goes as the lParam pointer and is valid
    // only during the call. After DetachWindow, Send returns 0 at once and
    // Post drops the message.
    LRESULT Send(UINT msg, WPARAM wParam, const std::wstring& text);
    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam = 0);
    void Post(UINT msg, WPARAM wParam, LPARAM lParam = 0);

    // The end of the window: from now on nothing reaches it. Waits until no
    // Send is inside the window any more, so the window may then be freed.
    // Detach the window's message queue first (UiMessageQueue::Detach), so
    // that senders blocked on it return at once instead of waiting forever.
    void DetachWindow();
    bool HasWindow() const;

    // Generation mark of catalogue rows: seconds since 1970. Renewed by the
    // window's refresh buttons while a synchronisation may be reading it.
    std::atomic<std::int64_t> RefreshStamp { 0 };

    // One group per feature, each written by that feature's tasks only.
    UserMembers user;
    UserInfoHandOff userInfoLoad;
    SignupMembers signup;
    DeviceMembers devices;
    ControlMembers control;
    CommerceMembers commerce;
    CatalogueMembers catalogue;
    NotifyMembers notify;

private:
    // The window pointer is read under the mutex and counted while in use,
    // so DetachWindow knows when the window is no longer touched.
    IMessageTarget* Enter();
    void Leave();

    mutable std::mutex m_windowMutex;
    std::condition_variable m_windowIdle;
    IMessageTarget* m_window = nullptr;
    int m_sendsInFlight = 0;
};
