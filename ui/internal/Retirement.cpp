#include "ui/internal/Retirement.h"

#include <algorithm>
#include <iterator>

#include "ui/internal/FramePacing.h"

namespace DuiLib {

ControlRetirement::ControlRetirement(const int& dispatchDepth)
    : dispatchDepth_(dispatchDepth)
{
    QObject::connect(&retireTimer_, &QTimer::timeout, [this] {
        if (dispatchDepth_ > 0)
            return;
        constexpr std::size_t kRetiredPerFrame = 64;
        // Destroying a control may retire others: take the portion out first.
        const std::size_t n = std::min(kRetiredPerFrame, retired_.size());
        std::vector<std::unique_ptr<CControlUI>> portion(
            std::make_move_iterator(retired_.end() - n), std::make_move_iterator(retired_.end()));
        retired_.resize(retired_.size() - n);
        portion.clear();
        if (retired_.empty())
            retireTimer_.stop();
    });
}

ControlRetirement::~ControlRetirement() = default;

void ControlRetirement::Later(std::unique_ptr<CControlUI> control)
{
    if (control && dispatchDepth_ > 0)
        graveyard_.push_back(std::move(control));
    // otherwise it is destroyed here, as control goes out of scope
}

void ControlRetirement::Gradually(std::vector<std::unique_ptr<CControlUI>> controls)
{
    for (auto& control : controls) {
        if (control)
            retired_.push_back(std::move(control));
    }
    if (!retired_.empty() && !retireTimer_.isActive())
        retireTimer_.start(kFrameMs);
}

void ControlRetirement::DispatchEnded()
{
    // Destroying a control may remove others (timers, nested trees): loop.
    while (!graveyard_.empty()) {
        auto dead = std::move(graveyard_);
        graveyard_.clear();
        dead.clear();
    }
}

void ControlRetirement::DestroyAll()
{
    graveyard_.clear();
    retired_.clear();
}

} // namespace DuiLib
