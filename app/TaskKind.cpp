#include "app/TaskKind.h"

#include <condition_variable>
#include <deque>
#include <mutex>

#include "app/ClientManager.h"
#include "platform/UiMessageQueue.h"

namespace {

struct Job {
    TaskKind::RoutineKey key = nullptr;
    std::unique_ptr<TaskBody> body;
};

} // namespace

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
void RunKind(ClientManager& owner, Run& run)
{
    TaskKind::State& state = *run.state;
    Job job = std::move(run.job);
    for (;;) {
        job.body->Run(owner);
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

} // namespace

TaskKind::TaskKind(Policy policy)
    : m_policy(policy)
    , m_state(std::make_shared<State>())
{
}

TaskKind::~TaskKind() = default;

TaskKind::Outcome TaskKind::Request(
    const std::shared_ptr<ClientManager>& owner, RoutineKey key, std::unique_ptr<TaskBody> body)
{
    Job job { key, std::move(body) };
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->running) {
            if (m_policy == Policy::Merge)
                return Outcome::Merged;
            for (Job& queued : m_state->queued) {
                if (queued.key == key) {
                    queued = std::move(job);
                    return Outcome::Queued;
                }
            }
            m_state->queued.push_back(std::move(job));
            return Outcome::Queued;
        }
        m_state->running = true;
    }
    if (StartTaskWith(owner, &RunKind, Run { m_state, std::move(job) }))
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
