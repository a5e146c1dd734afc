#pragma once

// How often one manager's window is asked to repaint (Qt inside; for the
// engine's own files).
//
// Small updates reach the host at most once a frame: what is asked sooner
// after a paint waits for the frame timer (a progress bar moved a hundred
// times in 30 ms is painted twice, not a hundred times). Whole-window
// updates never wait; nor does one asked while a small update is already on
// its way to the host: it joins that paint instead of starting a frame of
// its own.

#include <QElapsedTimer>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

namespace DuiLib {

inline constexpr int kFrameMs = 16;

class FramePacer {
public:
    // `host` is the manager's, read at each request (it may be null).
    explicit FramePacer(const QPointer<QWidget>& host);
    FramePacer(const FramePacer&) = delete;
    FramePacer& operator=(const FramePacer&) = delete;

    void UpdateAll();
    void Update(const QRect& area);
    // A paint of `dirty` begins: updates asked from here on need a paint of
    // their own; what waited for the frame timer and lies within it is done.
    void Painting(const QRect& dirty);

private:
    const QPointer<QWidget>& host_;
    // A whole-window update has been asked and not yet painted: asking
    // again would only cost Qt a scan of its posted events.
    bool wholeUpdatePending_ = false;
    bool partialUpdatePending_ = false;
    QElapsedTimer sinceLastPaint_;
    QRect deferred_;
    QTimer frameTimer_;
};

} // namespace DuiLib
