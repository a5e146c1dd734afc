#pragma once

// The timers the controls of one manager ask for (Qt inside; for the
// engine's own files), keyed by control and id. A tick is delivered as a
// UIEVENT_TIMER to the control and then as a "timer" notification, each
// only while the timer still exists.

#include <QObject>
#include <QTimer>

#include <functional>
#include <map>
#include <utility>

#include "ui/UIControl.h"

namespace DuiLib {

class ControlTimers {
public:
    // `tick` delivers one tick to the control; it is called only for a live timer.
    using Tick = std::function<void(CControlUI* control, unsigned id)>;
    explicit ControlTimers(Tick tick);
    ControlTimers(const ControlTimers&) = delete;
    ControlTimers& operator=(const ControlTimers&) = delete;
    ~ControlTimers();

    // Starts (or restarts) the timer.
    void Set(CControlUI* control, unsigned id, unsigned elapseMs);
    bool Kill(CControlUI* control, unsigned id);
    void KillAll(CControlUI* control);
    bool Has(CControlUI* control, unsigned id) const;
    // Every timer, at once (the manager is going).
    void Clear();

private:
    Tick tick_;
    QObject owner_;
    std::map<std::pair<CControlUI*, unsigned>, QTimer*> timers_;
};

} // namespace DuiLib
