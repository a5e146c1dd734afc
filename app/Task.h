#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

#include "net/CancelToken.h"

class ClientManager;

// A task's one argument: an integer (a list index, a page number, a kind
// code) or a pointer. A pointer is borrowed unless the task was started with
// StartTaskOwning, which hands the object to the task.
using TaskArg = std::uintptr_t;

// A task routine: a free function of its feature folder that works on the
// ClientManager, reports with Send and returns.
using TaskRoutine = void (*)(ClientManager& owner, TaskArg argument);

// What the new thread owns while it runs; freed when the routine returns.
struct TaskRecord {
    std::shared_ptr<ClientManager> owner;  // keeps the state alive for the task
    TaskArg argument = 0;
    TaskRoutine routine = nullptr;
    std::shared_ptr<void> ownedArgument;  // what StartTaskOwning handed over
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

// The same, handing an object to the task: the routine gets its address as
// the argument, and it is freed with the record, also when the thread could
// not be started.
TaskHandle StartTaskOwning(const std::shared_ptr<ClientManager>& owner, TaskRoutine routine,
                           std::shared_ptr<void> object);

template <class T>
T& OwnedTaskArgument(TaskArg argument)
{
    return *reinterpret_cast<T*>(argument);
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
