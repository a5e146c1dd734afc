#include "platform/UiMessageQueue.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <condition_variable>
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

class MessageEvent final : public QEvent {
public:
    MessageEvent(UINT m, WPARAM w, LPARAM l, std::shared_ptr<PendingSend> p)
        : QEvent(kMessageEvent), msg(m), wParam(w), lParam(l), pending(std::move(p))
    {
    }
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    std::shared_ptr<PendingSend> pending;
};

}  // namespace

struct UiMessageQueue::State {
    std::mutex mutex;
    Handler handler;
    bool detached = false;
    std::set<std::shared_ptr<PendingSend>> pending;
    std::unique_ptr<QObject> receiver;

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
    explicit UiMessageQueueReceiver(std::weak_ptr<UiMessageQueue::State> state) : m_state(std::move(state)) {}

    bool event(QEvent* e) override
    {
        if (e->type() != kMessageEvent)
            return QObject::event(e);
        auto* me = static_cast<MessageEvent*>(e);
        LRESULT result = 0;
        if (auto state = m_state.lock()) {
            result = state->Deliver(me->msg, me->wParam, me->lParam);
            if (me->pending) {
                std::lock_guard lock(state->mutex);
                state->pending.erase(me->pending);
            }
        }
        if (me->pending)
            me->pending->Finish(result);
        return true;
    }

private:
    std::weak_ptr<UiMessageQueue::State> m_state;
};

UiMessageQueue::UiMessageQueue() : m_state(std::make_shared<State>())
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
        QCoreApplication::postEvent(m_state->receiver.get(), new MessageEvent(msg, wParam, lParam, pending));
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
    QCoreApplication::postEvent(m_state->receiver.get(), new MessageEvent(msg, wParam, lParam, nullptr));
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
