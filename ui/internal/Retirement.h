#pragma once

// Controls removed from a manager's tree wait here to be destroyed (Qt
// inside; for the engine's own files): never while a dispatch runs, which
// may still be inside one of them, and big batches a portion a frame.

#include <QTimer>

#include <memory>
#include <vector>

#include "ui/UIControl.h"

namespace DuiLib {

class ControlRetirement {
public:
    // `dispatchDepth` is the manager's count of dispatches under way.
    explicit ControlRetirement(const int& dispatchDepth);
    ControlRetirement(const ControlRetirement&) = delete;
    ControlRetirement& operator=(const ControlRetirement&) = delete;
    ~ControlRetirement();

    // At the end of the current dispatch, or now when none runs.
    void Later(std::unique_ptr<CControlUI> control);
    // A portion each frame, outside dispatches.
    void Gradually(std::vector<std::unique_ptr<CControlUI>> controls);
    // The last dispatch ended: what waited for it goes.
    void DispatchEnded();
    // Everything still waiting, now (the manager is going).
    void DestroyAll();

private:
    const int& dispatchDepth_;
    std::vector<std::unique_ptr<CControlUI>> graveyard_;
    std::vector<std::unique_ptr<CControlUI>> retired_;
    QTimer retireTimer_;
};

} // namespace DuiLib
