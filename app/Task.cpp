#include "app/Task.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>

#include "app/ClientManager.h"
#include "platform/DebugLog.h"
#include "platform/UiMessageQueue.h"

struct TaskHandle::State {
    std::mutex mutex;
    std::condition_variable cv;
    bool finished = false;

    void Finish()
    {
        std::lock_guard lock(mutex);
        finished = true;
        cv.notify_all();
    }
    bool Finished()
    {
        std::lock_guard lock(mutex);
        return finished;
    }
};

namespace {

// The process-wide count of running tasks.
struct TaskCounter {
    std::mutex mutex;
    std::condition_variable cv;
    int running = 0;
};

TaskCounter& Counter()
{
    // Never destroyed: tasks may still end while the process is exiting.
    static TaskCounter* counter = new TaskCounter;
    return *counter;
}

std::atomic<int> g_failStarts { 0 };

void TaskStarted()
{
    std::lock_guard lock(Counter().mutex);
    ++Counter().running;
}

void TaskEnded()
{
    TaskCounter& c = Counter();
    std::lock_guard lock(c.mutex);
    if (--c.running == 0)
        c.cv.notify_all();
}

void RunTask(std::unique_ptr<TaskRecord> record, std::shared_ptr<TaskHandle::State> state)
{
    if (record->owner && record->body) {
        ScopedTaskToken token(record->cancel);
        record->body->Run(*record->owner);
        DebugLogA("thread ENDED!\n");
    }
    // The state goes before anyone learns the task has ended.
    record.reset();
    state->Finish();
    TaskEnded();
}

TaskHandle Start(std::unique_ptr<TaskRecord> record)
{
    auto state = std::make_shared<TaskHandle::State>();
    TaskStarted();
    bool started = false;
    if (g_failStarts.load() > 0) {
        --g_failStarts;
    } else {
        try {
            std::thread(RunTask, std::move(record), state).detach();
            started = true;
        } catch (const std::system_error&) {
        }
    }
    if (!started) {
        DebugLogA("_beginthread FAILED!\n");
        TaskEnded();
        return TaskHandle();
    }
    return TaskHandle(std::move(state));
}

class IntegerTaskBody final : public TaskBody {
public:
    IntegerTaskBody(TaskRoutine routine, TaskArg argument)
        : m_routine(routine)
        , m_argument(argument)
    {
    }
    void Run(ClientManager& owner) override
    {
        if (m_routine)
            m_routine(owner, m_argument);
    }

private:
    TaskRoutine m_routine;
    TaskArg m_argument;
};

} // namespace

std::unique_ptr<TaskBody> MakeTaskBody(TaskRoutine routine, TaskArg argument)
{
    return std::make_unique<IntegerTaskBody>(routine, argument);
}

TaskHandle::TaskHandle(std::shared_ptr<State> state)
    : m_state(std::move(state))
{
}

bool TaskHandle::IsFinished() const
{
    return m_state && m_state->Finished();
}

bool TaskHandle::Wait(std::optional<std::chrono::milliseconds> limit) const
{
    if (!m_state)
        return true;
    const auto deadline
        = limit ? std::chrono::steady_clock::now() + *limit : std::chrono::steady_clock::time_point::max();
    if (UiMessageQueue::IsUiThread()) {
        auto state = m_state;
        RunNestedLoopUntil([&] { return state->Finished() || std::chrono::steady_clock::now() >= deadline; });
        return state->Finished();
    }
    std::unique_lock lock(m_state->mutex);
    if (!limit) {
        m_state->cv.wait(lock, [&] { return m_state->finished; });
        return true;
    }
    return m_state->cv.wait_until(lock, deadline, [&] { return m_state->finished; });
}

TaskHandle StartTask(const std::shared_ptr<ClientManager>& owner, TaskRoutine routine, TaskArg argument)
{
    return StartTaskBody(owner, MakeTaskBody(routine, argument));
}

TaskHandle StartTaskBody(const std::shared_ptr<ClientManager>& owner, std::unique_ptr<TaskBody> body)
{
    auto record = std::make_unique<TaskRecord>();
    record->owner = owner;
    record->body = std::move(body);
    return Start(std::move(record));
}

int RunningTaskCount()
{
    std::lock_guard lock(Counter().mutex);
    return Counter().running;
}

bool WaitForAllTasks(std::chrono::milliseconds limit)
{
    TaskCounter& c = Counter();
    std::unique_lock lock(c.mutex);
    return c.cv.wait_for(lock, limit, [&] { return c.running == 0; });
}

void EndProcessAfterTasks(int exitCode, std::chrono::milliseconds limit)
{
    CancelSessionTransfers();
    if (!WaitForAllTasks(limit))
        DebugLogA("%d task(s) still running at exit\n", RunningTaskCount());
    std::fflush(nullptr);
    std::quick_exit(exitCode);
}

void FailTaskStartsForTesting(int count)
{
    g_failStarts.store(count);
}
