#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// The start-up task's database step (open or create the catalogue and its
// tables). A remembered automatic login starts the synchronisation and the
// app queries while that step may still run, so work that needs the
// database first waits for its end, successfully or not, for a bounded time.
class DatabaseStep {
public:
    // The step has ended; opened: the database is there with its tables.
    void End(bool opened);
    // True once the step has ended with the database open; false when it
    // failed, or the limit passed first.
    bool WaitOpen(std::chrono::milliseconds limit) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_ended;
    bool m_done = false;
    bool m_opened = false;
};

// How long database work waits for the step: longer than the update check
// before it can take against a slow service.
inline constexpr std::chrono::seconds kDatabaseWaitLimit { 60 };
