#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <QTimer>
#include <QWidget>

class QNetworkAccessManager;
class QNetworkReply;

// Where one device's live screen comes from: the address and port the
// client was given, the device's pad code, the session and the user. Every
// request carries the session (as the service's session cookie) and the user.
struct StreamSource {
    QString host;
    QString port;
    QString padCode;
    QString session;
    QString user;
};

// One input on the device screen, in the device's pixels.
struct ScreenInput {
    bool swipe = false;
    QPoint from;
    QPoint to;
};

// Shows one device's live screen (JPEG frames fetched one after another)
// and turns clicks into taps and drags into swipes. When the stream cannot
// be reached, or a frame breaks off, it says so over the last picture and
// tries again.
class LiveScreen : public QWidget {
    Q_OBJECT
public:
    LiveScreen(StreamSource source, QNetworkAccessManager& network, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    // Sends an input to this device.
    void Send(const ScreenInput& input);
    bool HasFrame() const { return !m_frame.isNull(); }
    // A frame or a problem has been shown (no longer "connecting").
    bool Settled() const { return m_settled; }
    QString Message() const { return m_message; }
    const StreamSource& Source() const { return m_source; }

signals:
    // The user's input on this screen (already sent to its device).
    void Input(const ScreenInput& input);
    void FrameShown();
    void StatusChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Fetch();
    // The screen's state changes (the first frame as "frame", each message)
    // go to standard error, and to the file KORVANA_TOOL_STATUS names.
    void ReportStatus(const QString& status);
    void OnFrame(QNetworkReply* reply);
    QUrl Url(const QString& path) const;
    QRect FrameRect() const;
    QPoint ToDevice(QPoint widgetPoint) const;

    StreamSource m_source;
    QNetworkAccessManager& m_network;
    QTimer m_next;
    QImage m_frame;
    QString m_message;
    QPoint m_pressAt;
    bool m_pressed = false;
    bool m_settled = false;
};

// The transport the client was built for, from its environment:
// KORVANA_PLAY_SCHEME "https" makes every stream request https, and
// KORVANA_PLAY_CA names the CA bundle to trust instead of the system's.
void UsePlayTransport();

// Turns SIGTERM and SIGINT into a normal end of the Qt loop.
void QuitOnTerminationSignals();

// Test aids of both programs: KORVANA_TOOL_ECHO names a file that receives
// the program's arguments, one per line; KORVANA_TOOL_PNG a file that
// receives a picture of the window once every screen shows a frame or a
// problem.
void EchoArguments(int argc, char** argv);
void SavePictureWhenShown(QWidget& window, const QList<LiveScreen*>& screens);
// KORVANA_TOOL_CLICK "x,y" (or "x,y,x2,y2" for a drag), in the screen's own
// pixels: given to the screen as a person's mouse once it shows a frame.
void ClickWhenShown(LiveScreen& screen);
