#include "app/TaskKind.h"

#include <condition_variable>
#include <deque>
#include <mutex>

#include "app/ClientManager.h"
#include "platform/UiMessageQueue.h"

namespace {

struct Job {
    TaskRoutine routine = nullptr;
    TaskArg argument = 0;
    std::shared_ptr<void> object;  // what StartOwning handed over
};

}  // namespace

struct TaskKind::State {
    std::mutex mutex;
    std::condition_variable idle;
    bool running = false;
    std::deque<Job> queued;
};

namespace {

struct Run {
    std::shared_ptr<TaskKind::State> state;
    Job job;
};

// Runs the job, then whatever of its kind was asked for meanwhile, on the
// same thread, so no two ever overlap.
void RunKind(ClientManager& owner, TaskArg argument)
{
    Run& run = OwnedTaskArgument<Run>(argument);
    TaskKind::State& state = *run.state;
    Job job = std::move(run.job);
    for (;;) {
        job.routine(owner, job.object ? reinterpret_cast<TaskArg>(job.object.get()) : job.argument);
        std::lock_guard lock(state.mutex);
        if (state.queued.empty()) {
            state.running = false;
            state.idle.notify_all();
            return;
        }
        job = std::move(state.queued.front());
        state.queued.pop_front();
    }
}

}  // namespace

TaskKind::TaskKind(Policy policy) : m_policy(policy), m_state(std::make_shared<State>()) {}

TaskKind::~TaskKind() = default;

TaskKind::Outcome TaskKind::Start(const std::shared_ptr<ClientManager>& owner, TaskRoutine routine,
                                  TaskArg argument)
{
    return Request(owner, routine, argument, nullptr);
}

TaskKind::Outcome TaskKind::StartOwning(const std::shared_ptr<ClientManager>& owner, TaskRoutine routine,
                                        std::shared_ptr<void> object)
{
    return Request(owner, routine, 0, std::move(object));
}

TaskKind::Outcome TaskKind::Request(const std::shared_ptr<ClientManager>& owner, TaskRoutine routine,
                                    TaskArg argument, std::shared_ptr<void> object)
{
    Job job {routine, argument, std::move(object)};
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->running) {
            if (m_policy == Policy::Merge)
                return Outcome::Merged;
            for (Job& queued : m_state->queued) {
                if (queued.routine == routine) {
                    queued = std::move(job);
                    return Outcome::Queued;
                }
            }
            m_state->queued.push_back(std::move(job));
            return Outcome::Queued;
        }
        m_state->running = true;
    }
    auto run = std::make_shared<Run>(Run {m_state, std::move(job)});
    if (StartTaskOwning(owner, &RunKind, std::move(run)))
        return Outcome::Started;
    std::lock_guard lock(m_state->mutex);
    m_state->running = false;
    m_state->queued.clear();
    m_state->idle.notify_all();
    return Outcome::NotStarted;
}

bool TaskKind::IsRunning() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->running;
}

void TaskKind::DropQueued()
{
    std::lock_guard lock(m_state->mutex);
    m_state->queued.clear();
}

bool TaskKind::Wait(std::chrono::milliseconds limit) const
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    if (UiMessageQueue::IsUiThread()) {
        RunNestedLoopUntil([&] { return !IsRunning() || std::chrono::steady_clock::now() >= deadline; });
        return !IsRunning();
    }
    std::unique_lock lock(m_state->mutex);
    return m_state->idle.wait_until(lock, deadline, [&] { return !m_state->running; });
}
