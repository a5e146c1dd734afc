#include "ui/internal/FramePacing.h"

namespace DuiLib {

FramePacer::FramePacer(const QPointer<QWidget>& host)
    : host_(host)
{
    frameTimer_.setSingleShot(true);
    // A coarse timer may fire early, and what came then would wait for a
    // frame of its own right after this one.
    frameTimer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&frameTimer_, &QTimer::timeout, [this] {
        if (host_ && !deferred_.isEmpty()) {
            host_->update(deferred_);
            partialUpdatePending_ = true;
        }
        deferred_ = QRect();
    });
}

void FramePacer::UpdateAll()
{
    if (host_ && !wholeUpdatePending_) {
        wholeUpdatePending_ = true;
        deferred_ = QRect();
        frameTimer_.stop();
        host_->update();
    }
}

void FramePacer::Update(const QRect& area)
{
    if (!host_ || area.isEmpty() || wholeUpdatePending_)
        return;
    const qint64 since = sinceLastPaint_.isValid() ? sinceLastPaint_.elapsed() : kFrameMs;
    if (since >= kFrameMs || partialUpdatePending_) {
        // What waited for this frame goes with it, not in a paint of its own
        // when the timer comes.
        host_->update(area | deferred_);
        deferred_ = QRect();
        frameTimer_.stop();
        partialUpdatePending_ = true;
        return;
    }
    deferred_ |= area;
    if (!frameTimer_.isActive())
        frameTimer_.start(static_cast<int>(kFrameMs - since));
}

void FramePacer::Painting(const QRect& dirty)
{
    if (!deferred_.isEmpty() && dirty.contains(deferred_)) {
        deferred_ = QRect();
        frameTimer_.stop();
    }
    wholeUpdatePending_ = false;
    partialUpdatePending_ = false;
    sinceLastPaint_.start();
}

} // namespace DuiLib
