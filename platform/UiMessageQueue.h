#pragma once

#include <functional>
#include <memory>

#include "platform/WindowMessage.h"

// The message queue of the UI thread, standing in for a window's message
// queue: Post enqueues; Send from another thread enqueues and blocks the
// sender until the handler has run; Send on the UI thread calls the handler
// at once. Posted and sent messages are delivered in the order they came;
// posts wake the UI thread at most once a 16 ms frame (a send at once).
// Create it on the UI thread after the Qt application object exists.
class UiMessageQueue final : public IMessageTarget {
public:
    using Handler = std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam)>;

    UiMessageQueue();
    ~UiMessageQueue() override;
    UiMessageQueue(const UiMessageQueue&) = delete;
    UiMessageQueue& operator=(const UiMessageQueue&) = delete;

    void SetHandler(Handler handler);

    // From now on nothing is delivered: Send returns 0 at once, Post drops the
    // message, and senders still blocked are released with 0. For the end of
    // the window's life, so that no task waits on a window that is gone.
    void Detach();
    bool IsDetached() const;

    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Post(UINT msg, WPARAM wParam, LPARAM lParam) override;

    static bool IsUiThread();

private:
    friend class UiMessageQueueReceiver;
    struct State;
    std::shared_ptr<State> m_state;
};

// Runs a nested event loop on the UI thread until done() returns true; done
// is checked after every delivered event and at least every 10 ms. Used where
// the UI must wait for a task while still handling that task's messages.
void RunNestedLoopUntil(const std::function<bool()>& done);
