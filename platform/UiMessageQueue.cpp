#include "platform/UiMessageQueue.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>

namespace {

// A sender waiting on the UI thread's answer.
struct PendingSend {
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
    LRESULT result = 0;

    void Finish(LRESULT value)
    {
        std::lock_guard lock(mutex);
        result = value;
        done = true;
        cv.notify_all();
    }
};

const QEvent::Type kMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// A message waiting for the UI thread. It lives in the queue's state, under
// its mutex, rather than in the Qt event: the event only wakes the receiver
// for the message at the front, so order is kept, and the message's fields
// pass from thread to thread under a lock that thread checkers can see.
struct QueuedMessage {
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::shared_ptr<PendingSend> pending;
};

// Posted messages wake the UI thread at most once a frame: a task that
// posts its progress a hundred times in 30 ms would otherwise wake it a
// hundred times, and on a small machine each wake-up takes the core from the
// task itself. The first post after a quiet frame is delivered at once.
constexpr int kPostFrameMs = 16;

} // namespace

struct UiMessageQueue::State {
    std::mutex mutex;
    Handler handler;
    bool detached = false;
    std::set<std::shared_ptr<PendingSend>> pending;
    std::deque<QueuedMessage> queued;
    std::unique_ptr<QObject> receiver;
    bool wakePosted = false; // a wake-up event is on its way to the receiver
    bool holdingPosts = false; // within the frame of a posted delivery

    // Under the mutex. One message is delivered per wake-up event (a nested
    // loop in a handler then delivers the rest), so one is posted while
    // messages wait and none is on its way.
    void Wake()
    {
        if (wakePosted || queued.empty())
            return;
        wakePosted = true;
        QCoreApplication::postEvent(receiver.get(), new QEvent(kMessageEvent));
    }

    void Enqueue(QueuedMessage message)
    {
        const bool sent = message.pending != nullptr;
        queued.push_back(std::move(message));
        // A sender waits: it never waits for the frame.
        if (sent || !holdingPosts)
            Wake();
    }

    LRESULT Deliver(UINT msg, WPARAM wParam, LPARAM lParam)
    {
        Handler h;
        {
            std::lock_guard lock(mutex);
            if (detached)
                return 0;
            h = handler;
        }
        return h ? h(msg, wParam, lParam) : 0;
    }
};

class UiMessageQueueReceiver final : public QObject {
public:
    explicit UiMessageQueueReceiver(std::weak_ptr<UiMessageQueue::State> state)
        : m_state(std::move(state))
    {
        m_frame.setSingleShot(true);
        QObject::connect(&m_frame, &QTimer::timeout, this, [this] {
            auto state = m_state.lock();
            if (!state)
                return;
            std::lock_guard lock(state->mutex);
            state->holdingPosts = false;
            state->Wake();
        });
    }

    // Our wake-up events are of a user type, so they arrive here.
    void customEvent(QEvent*) override
    {
        auto state = m_state.lock();
        if (!state)
            return;
        QueuedMessage m;
        {
            std::lock_guard lock(state->mutex);
            state->wakePosted = false;
            if (state->queued.empty())
                return;
            m = std::move(state->queued.front());
            state->queued.pop_front();
            state->Wake();
            // Started before the handler runs: it may end the queue and this
            // receiver with it.
            if (!m.pending && !state->holdingPosts) {
                state->holdingPosts = true;
                m_frame.start(kPostFrameMs);
            }
        }
        LRESULT result = state->Deliver(m.msg, m.wParam, m.lParam);
        if (m.pending) {
            {
                std::lock_guard lock(state->mutex);
                state->pending.erase(m.pending);
            }
            m.pending->Finish(result);
        }
    }

private:
    std::weak_ptr<UiMessageQueue::State> m_state;
    QTimer m_frame { this };
};

UiMessageQueue::UiMessageQueue()
    : m_state(std::make_shared<State>())
{
    m_state->receiver = std::make_unique<UiMessageQueueReceiver>(m_state);
    if (auto* app = QCoreApplication::instance())
        m_state->receiver->moveToThread(app->thread());
}

UiMessageQueue::~UiMessageQueue()
{
    Detach();
    // Events still queued for the receiver are dropped with it.
    m_state->receiver.reset();
}

void UiMessageQueue::SetHandler(Handler handler)
{
    std::lock_guard lock(m_state->mutex);
    m_state->handler = std::move(handler);
}

void UiMessageQueue::Detach()
{
    std::set<std::shared_ptr<PendingSend>> waiting;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->detached = true;
        m_state->handler = nullptr;
        m_state->queued.clear();
        waiting.swap(m_state->pending);
    }
    for (const auto& p : waiting)
        p->Finish(0);
}

bool UiMessageQueue::IsDetached() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->detached;
}

bool UiMessageQueue::IsUiThread()
{
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

LRESULT UiMessageQueue::Send(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (IsUiThread())
        return m_state->Deliver(msg, wParam, lParam);

    auto pending = std::make_shared<PendingSend>();
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->detached || !m_state->receiver)
            return 0;
        m_state->pending.insert(pending);
        m_state->Enqueue(QueuedMessage { msg, wParam, lParam, pending });
    }
    std::unique_lock lock(pending->mutex);
    pending->cv.wait(lock, [&] { return pending->done; });
    return pending->result;
}

void UiMessageQueue::Post(UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard lock(m_state->mutex);
    if (m_state->detached || !m_state->receiver)
        return;
    m_state->Enqueue(QueuedMessage { msg, wParam, lParam, nullptr });
}

void RunNestedLoopUntil(const std::function<bool()>& done)
{
    if (done())
        return;
    QEventLoop loop;
    // The timer only wakes the loop so that done() is looked at again.
    QTimer wake;
    wake.start(10);
    while (!done())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
}
