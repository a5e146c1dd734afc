#include "net/CancelToken.h"

#include <atomic>
#include <mutex>
#include <optional>

struct CancelToken::State {
    std::atomic<bool> cancelled { false };
    std::shared_ptr<State> parent;

    bool Cancelled() const
    {
        for (const State* s = this; s != nullptr; s = s->parent.get()) {
            if (s->cancelled.load(std::memory_order_acquire))
                return true;
        }
        return false;
    }
};

CancelToken::CancelToken()
    : m_state(std::make_shared<State>())
{
}

CancelToken::CancelToken(std::shared_ptr<State> state)
    : m_state(std::move(state))
{
}

void CancelToken::Cancel() const
{
    m_state->cancelled.store(true, std::memory_order_release);
}

bool CancelToken::IsCancelled() const
{
    return m_state->Cancelled();
}

CancelToken CancelToken::Child() const
{
    auto child = std::make_shared<State>();
    child->parent = m_state;
    return CancelToken(std::move(child));
}

namespace {

struct Session {
    std::mutex mutex;
    CancelToken token;
};

Session& CurrentSession()
{
    // Never destroyed: tasks may still read it while the process exits.
    static Session* session = new Session;
    return *session;
}

thread_local std::optional<CancelToken> t_taskToken;

} // namespace

CancelToken SessionCancelToken()
{
    Session& s = CurrentSession();
    std::lock_guard lock(s.mutex);
    return s.token;
}

void CancelSessionTransfers()
{
    Session& s = CurrentSession();
    std::lock_guard lock(s.mutex);
    s.token.Cancel();
    s.token = CancelToken();
}

CancelToken CurrentTaskToken()
{
    return t_taskToken ? *t_taskToken : SessionCancelToken();
}

ScopedTaskToken::ScopedTaskToken(CancelToken token)
    : m_previous(std::move(t_taskToken))
{
    t_taskToken = std::move(token);
}

ScopedTaskToken::~ScopedTaskToken()
{
    t_taskToken = std::move(m_previous);
}
