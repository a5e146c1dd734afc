#pragma once

#include <memory>
#include <optional>

// A stop flag shared by whoever may end some work and the work itself.
// Copies share the flag. A child token is cancelled with its parent (and on
// its own), so a load can stop its own requests without stopping the task
// that runs it, while a sign-out still reaches all of them.
class CancelToken {
public:
    CancelToken();

    void Cancel() const;
    bool IsCancelled() const;
    // A new token that is cancelled when this one is.
    CancelToken Child() const;

private:
    struct State;
    explicit CancelToken(std::shared_ptr<State> state);
    std::shared_ptr<State> m_state;
};

// The token of the signed-in session: every task started while it is current
// takes it, and every transfer of such a task is aborted when it is
// cancelled. CancelSessionTransfers cancels it and makes a fresh one current
// for what starts afterwards (the logout of the sign-out among them).
CancelToken SessionCancelToken();
void CancelSessionTransfers();

// The token of the task running on this thread (set by the task's start),
// else the session token; CallService and ClusterCurl use it unless told
// otherwise.
CancelToken CurrentTaskToken();

// Makes `token` the current thread's task token while it lives.
class ScopedTaskToken {
public:
    explicit ScopedTaskToken(CancelToken token);
    ~ScopedTaskToken();
    ScopedTaskToken(const ScopedTaskToken&) = delete;
    ScopedTaskToken& operator=(const ScopedTaskToken&) = delete;

private:
    std::optional<CancelToken> m_previous;
};
