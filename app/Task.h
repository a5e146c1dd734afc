#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

#include "net/CancelToken.h"

class ClientManager;

// A task's one integer argument (a list index, a page number, a kind code).
// Anything else goes to the task as a typed value (StartTaskWith).
using TaskArg = std::uintptr_t;

// A task routine: a free function of its feature folder that works on the
// ClientManager, reports with Send and returns.
using TaskRoutine = void (*)(ClientManager& owner, TaskArg argument);

// A routine bound to its argument: what a task runs.
class TaskBody {
public:
    virtual ~TaskBody() = default;
    virtual void Run(ClientManager& owner) = 0;
};

// A routine taking an integer argument.
std::unique_ptr<TaskBody> MakeTaskBody(TaskRoutine routine, TaskArg argument);

// A routine taking its own copy of a value, which lives as long as the task.
template <class T> class TypedTaskBody final : public TaskBody {
public:
    TypedTaskBody(void (*routine)(ClientManager&, T&), T value)
        : m_routine(routine)
        , m_value(std::move(value))
    {
    }
    void Run(ClientManager& owner) override { m_routine(owner, m_value); }

private:
    void (*m_routine)(ClientManager&, T&);
    T m_value;
};

template <class T> std::unique_ptr<TaskBody> MakeTaskBody(void (*routine)(ClientManager&, T&), T value)
{
    return std::make_unique<TypedTaskBody<T>>(routine, std::move(value));
}

// What the new thread owns while it runs; freed when the routine returns.
struct TaskRecord {
    std::shared_ptr<ClientManager> owner; // keeps the state alive for the task
    std::unique_ptr<TaskBody> body;
    // The session's token when the task started: a sign-out (or the end of
    // the process) aborts the task's transfers and keeps it from starting
    // new ones.
    CancelToken cancel = SessionCancelToken();
};

// The handle of a started task. Dropping it (or letting it go) does not stop
// or wait for the task. A task is not stopped as such, but its transfers are
// aborted when the session it started in ends (CancelSessionTransfers).
class TaskHandle {
public:
    struct State;

    TaskHandle() = default;
    explicit TaskHandle(std::shared_ptr<State> state);

    // False when the task could not be started.
    bool IsValid() const { return m_state != nullptr; }
    explicit operator bool() const { return IsValid(); }

    bool IsFinished() const;

    // Waits until the task has ended (true) or the limit has passed (false).
    // On the UI thread the wait keeps delivering messages and events, so the
    // task's own result message is handled while the window waits for it.
    bool Wait(std::optional<std::chrono::milliseconds> limit = std::nullopt) const;

    // Closes the handle.
    void Drop() { m_state.reset(); }

private:
    std::shared_ptr<State> m_state;
};

// Starts one thread that runs routine(*owner, argument) and returns its
// handle. When no thread can be started, "_beginthread FAILED!\n" goes to the
// log and an invalid handle comes back; nothing runs. When the routine has
// returned, "thread ENDED!\n" goes to the log and the record is freed.
TaskHandle StartTask(const std::shared_ptr<ClientManager>& owner, TaskRoutine routine, TaskArg argument = 0);

// The same for a bound routine; the body (and the value it holds) is freed
// with the record, also when the thread could not be started.
TaskHandle StartTaskBody(const std::shared_ptr<ClientManager>& owner, std::unique_ptr<TaskBody> body);

// Starts routine(*owner, value) with the task's own copy of value.
template <class T>
TaskHandle StartTaskWith(
    const std::shared_ptr<ClientManager>& owner, void (*routine)(ClientManager&, T&), T value)
{
    return StartTaskBody(owner, MakeTaskBody(routine, std::move(value)));
}

// Tasks started and not yet ended, in the whole process.
int RunningTaskCount();

// Waits (without delivering messages) until every task has ended; false when
// the limit passed first. For tests and for the end of the process.
bool WaitForAllTasks(std::chrono::milliseconds limit);

// The end of the process once the window is gone and has let go of the
// ClientManager: aborts every transfer, gives running tasks up to limit to
// end, then ends the
// process with exitCode without running static destructors, so a task still
// stuck in a long network wait cannot touch torn-down globals.
[[noreturn]] void EndProcessAfterTasks(int exitCode, std::chrono::milliseconds limit);

// Tests: the next count starts fail as if no thread could be made.
void FailTaskStartsForTesting(int count);
