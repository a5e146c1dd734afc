#pragma once

#include <functional>
#include <mutex>

// A process-wide replacement for an interactive facility (a dialog, the
// browser, the tray), set by tests so that nothing waits for a person.
// Set and read from any thread.
template <class Signature> class HookSlot {
public:
    void Set(std::function<Signature> hook)
    {
        std::lock_guard lock(m_mutex);
        m_hook = std::move(hook);
    }
    std::function<Signature> Get() const
    {
        std::lock_guard lock(m_mutex);
        return m_hook;
    }

private:
    mutable std::mutex m_mutex;
    std::function<Signature> m_hook;
};
