#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "StreamClient.h"

// Shows one device's play stream, keeping the device's shape at any window
// size, and turns the mouse and keys into the device's input: a click is a
// tap, a drag a swipe along its path, the right button or Esc is back, Home
// is home, End or the menu key recents, typed text is text. When the stream
// drops it says so over the last picture and reconnects. F12 shows the
// frame rate, decoding time and latency.
class LiveScreen : public QWidget {
    Q_OBJECT
public:
    explicit LiveScreen(StreamTarget target, QWidget* parent = nullptr);
    ~LiveScreen() override;

    QSize sizeHint() const override;
    // Sends an input (device pixels) to this device; its sequence number.
    std::uint32_t Send(const stream::Input& input);
    // The sequence number of the last input this screen sent.
    std::uint32_t LastSent() const { return m_lastSent; }
    bool HasFrame() const { return !m_frame.isNull(); }
    // A frame or a problem has been shown (no longer "connecting").
    bool Settled() const { return m_settled; }
    QString Message() const { return m_message; }
    const StreamTarget& Target() const { return m_target; }
    // Widget pixels to the device's, and back.
    QPoint ToDevice(QPoint widgetPoint) const;
    QRect FrameRect() const;
    void SetOverlay(bool shown);
    bool OverlayShown() const { return m_overlay; }

    // What a painted frame was, for measurements.
    struct Shown {
        std::uint64_t captureUs = 0;
        std::uint64_t paintedUs = 0;
        std::uint32_t inputSeq = 0;
        double decodeMs = 0;
        std::size_t unitBytes = 0;
    };

signals:
    // The user's input on this screen (already sent to its device).
    void Input(const stream::Input& input);
    void FrameShown();
    void StatusChanged();
    void Painted(const LiveScreen::Shown& shown);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Worker-thread side. What the worker hands over waits under the lock
    // and the UI thread runs it in order; the wake-up is a plain event, so
    // nothing of ours travels through Qt's queue. The newest picture waits
    // in its own slot.
    void HandOver(std::function<void()> call);
    void Deliver(StreamPicture picture);
    void TakePicture();
    void OnState(StreamClient::State state, const QString& text);
    // The screen's state changes (the first frame as "frame", each message)
    // go to standard error, and to the file KORVANA_TOOL_STATUS names.
    void ReportStatus(const QString& status);
    void SendAndShow(const stream::Input& input);
    void PaintOverlay(QPainter& painter);

    StreamTarget m_target;
    QSize m_device { 720, 1280 };
    QImage m_frame;
    Shown m_current;
    bool m_fresh = false;
    std::uint32_t m_lastSent = 0; // the current picture has not been painted yet
    QString m_message;
    bool m_settled = false;
    bool m_overlay = false;
    QTimer m_overlayTimer;
    bool m_pressed = false;
    std::vector<stream::Point> m_path;
    QPoint m_pressAt;
    QElapsedTimer m_pressTime;
    std::deque<Shown> m_recent; // the last second's frames, for the overlay

    std::mutex m_pendingMutex;
    std::optional<StreamPicture> m_pending;
    std::vector<std::function<void()>> m_calls;
    const QEvent* m_wakeEvent = nullptr; // posted, not yet handled
    std::unique_ptr<StreamClient> m_client;
};

// Microseconds since the Unix epoch, the clock of the capture times.
std::uint64_t WallMicros();
