#include "ui/internal/ControlTimers.h"

#include <algorithm>

namespace DuiLib {

ControlTimers::ControlTimers(Tick tick)
    : tick_(std::move(tick))
{
}

ControlTimers::~ControlTimers()
{
    Clear();
}

void ControlTimers::Clear()
{
    for (auto& [key, timer] : timers_)
        delete timer;
    timers_.clear();
}

void ControlTimers::Set(CControlUI* control, unsigned id, unsigned elapseMs)
{
    auto key = std::make_pair(control, id);
    auto it = timers_.find(key);
    QTimer* timer;
    if (it != timers_.end()) {
        timer = it->second;
    } else {
        timer = new QTimer(&owner_);
        timers_.emplace(key, timer);
        QObject::connect(timer, &QTimer::timeout, &owner_, [this, control, id] {
            if (timers_.count({ control, id }))
                tick_(control, id);
        });
    }
    timer->start(static_cast<int>(std::max(1u, elapseMs)));
}

bool ControlTimers::Kill(CControlUI* control, unsigned id)
{
    auto it = timers_.find({ control, id });
    if (it == timers_.end())
        return false;
    it->second->stop();
    it->second->deleteLater(); // it may be emitting right now
    timers_.erase(it);
    return true;
}

void ControlTimers::KillAll(CControlUI* control)
{
    auto it = timers_.lower_bound({ control, 0u });
    while (it != timers_.end() && it->first.first == control) {
        it->second->stop();
        it->second->deleteLater();
        it = timers_.erase(it);
    }
}

bool ControlTimers::Has(CControlUI* control, unsigned id) const
{
    return timers_.count({ control, id }) != 0;
}

} // namespace DuiLib
