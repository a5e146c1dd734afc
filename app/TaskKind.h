#pragma once

#include <chrono>
#include <memory>

#include "app/Task.h"

// Tasks of one kind (the user information, the plans, the device list, ...)
// write the same members, so two of them must never run at once. A TaskKind
// is kept by the page that starts them, on the UI thread; what a request
// does while one of its kind runs is the kind's policy:
//
// - RunOnceAfter: it is remembered and runs on the same thread as soon as the
//   running one has returned, so its answer comes after the first one's. A
//   later request for the same routine replaces a remembered one (the latest
//   argument wins); requests for other routines of the kind run in turn.
// - Merge: it is dropped; the running task's result answers it as well.
class TaskKind {
public:
    enum class Policy { RunOnceAfter, Merge };
    enum class Outcome {
        Started, // a new thread runs it
        Queued, // runs after the one that is running
        Merged, // the running one answers it
        NotStarted, // no thread could be started
    };

    explicit TaskKind(Policy policy);
    ~TaskKind();
    TaskKind(const TaskKind&) = delete;
    TaskKind& operator=(const TaskKind&) = delete;

    Outcome Start(const std::shared_ptr<ClientManager>& owner, TaskRoutine routine, TaskArg argument = 0)
    {
        return Request(owner, KeyOf(routine), MakeTaskBody(routine, argument));
    }
    // The same with a typed value (see StartTaskWith).
    template <class T>
    Outcome StartWith(
        const std::shared_ptr<ClientManager>& owner, void (*routine)(ClientManager&, T&), T value)
    {
        return Request(owner, KeyOf(routine), MakeTaskBody(routine, std::move(value)));
    }

    // True while a task of this kind runs (or is about to run again).
    bool IsRunning() const;
    // Forgets the requests waiting for their turn (at sign-out).
    void DropQueued();
    // Waits until no task of the kind runs; false when the limit passed.
    // On the UI thread, messages keep being delivered meanwhile.
    bool Wait(std::chrono::milliseconds limit) const;

    struct State;

    // Which routine a request is for (a later one for the same replaces it).
    using RoutineKey = void (*)();

private:
    template <class R> static RoutineKey KeyOf(R routine) { return reinterpret_cast<RoutineKey>(routine); }
    Outcome Request(
        const std::shared_ptr<ClientManager>& owner, RoutineKey key, std::unique_ptr<TaskBody> body);

    Policy m_policy;
    std::shared_ptr<State> m_state;
};
