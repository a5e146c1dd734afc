#include "LiveScreen.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <chrono>

namespace {

constexpr int kTapDistance = 8;
constexpr int kPathStep = 6;
// Wakes the UI thread for what the stream's worker handed over.
const QEvent::Type kHandOverEvent = static_cast<QEvent::Type>(QEvent::User + 1);

QString StateText(StreamClient::State state, const QString& text)
{
    switch (state) {
    case StreamClient::State::Connecting:
        return QStringLiteral("正在连接设备…");
    case StreamClient::State::Streaming:
        return {};
    case StreamClient::State::Reconnecting:
        return text.isEmpty() ? QStringLiteral("连接已断开，正在重新连接…")
                              : QStringLiteral("%1，正在重新连接…").arg(text);
    case StreamClient::State::Refused:
        return text;
    }
    return {};
}

} // namespace

std::uint64_t WallMicros()
{
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now().time_since_epoch())
                                          .count());
}

LiveScreen::LiveScreen(StreamTarget target, QWidget* parent)
    : QWidget(parent)
    , m_target(std::move(target))
    , m_message(QStringLiteral("正在连接设备…"))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    connect(&m_overlayTimer, &QTimer::timeout, this, [this] { update(QRect(8, 8, 150, 96)); });
    const int port = QString::fromStdString(m_target.port).toInt();
    if (m_target.host.empty() || port <= 0 || port > 65535) {
        m_message = QStringLiteral("设备地址无效，无法显示画面");
        ReportStatus(m_message);
        return;
    }
    // A client built for https says so: the stream goes inside TLS too,
    // verified against the client's CA bundle or the system's store.
    if (qgetenv("KORVANA_PLAY_SCHEME") == "https") {
        m_target.tls = true;
        m_target.caFile = qgetenv("KORVANA_PLAY_CA").toStdString();
    }
    StreamClient::Events events;
    events.state = [this](StreamClient::State state, const std::string& text) {
        const QString shown = QString::fromStdString(text);
        HandOver([this, state, shown] { OnState(state, shown); });
    };
    events.welcome = [this](const stream::Welcome& welcome) {
        const QSize device(welcome.deviceWidth, welcome.deviceHeight);
        HandOver([this, device] {
            m_device = device;
            const QRect shown = FrameRect();
            m_client->SetPictureSize(shown.width(), shown.height());
            update();
        });
    };
    events.picture = [this](StreamPicture picture) { Deliver(std::move(picture)); };
    m_client = std::make_unique<StreamClient>(m_target, std::move(events));
    m_client->Start();
}

LiveScreen::~LiveScreen()
{
    // The worker ends before the widget it posts to.
    if (m_client)
        m_client->Stop();
}

QSize LiveScreen::sizeHint() const
{
    return { 360, 640 };
}

void LiveScreen::HandOver(std::function<void()> call)
{
    QEvent* wake = nullptr;
    {
        std::lock_guard lock(m_pendingMutex);
        if (m_calls.empty())
            m_wakeEvent = wake = new QEvent(kHandOverEvent);
        m_calls.push_back(std::move(call));
    }
    if (wake != nullptr)
        QCoreApplication::postEvent(this, wake);
}

bool LiveScreen::event(QEvent* event)
{
    // The wake-up is known by its address, taken under the lock: what Qt
    // wrote into it is not read on this side before the lock is held.
    std::vector<std::function<void()>> calls;
    {
        std::lock_guard lock(m_pendingMutex);
        if (event == m_wakeEvent) {
            m_wakeEvent = nullptr;
            calls.swap(m_calls);
        }
    }
    if (calls.empty())
        return QWidget::event(event);
    for (const std::function<void()>& call : calls)
        call();
    return true;
}

void LiveScreen::Deliver(StreamPicture picture)
{
    bool post = false;
    {
        std::lock_guard lock(m_pendingMutex);
        // Only the newest picture waits; an older one that was not painted
        // in time is dropped.
        post = !m_pending.has_value();
        m_pending = std::move(picture);
    }
    if (post)
        HandOver([this] { TakePicture(); });
}

void LiveScreen::TakePicture()
{
    std::optional<StreamPicture> picture;
    {
        std::lock_guard lock(m_pendingMutex);
        picture.swap(m_pending);
    }
    if (!picture)
        return;
    const bool first = m_frame.isNull() || !m_message.isEmpty();
    m_frame = std::move(picture->image);
    m_current = { picture->captureUs, 0, picture->inputSeq, picture->decodeMs, picture->unitBytes };
    m_fresh = true;
    if (first) {
        m_message.clear();
        ReportStatus(QStringLiteral("frame"));
    }
    update();
    if (first)
        emit FrameShown();
}

void LiveScreen::OnState(StreamClient::State state, const QString& text)
{
    if (state == StreamClient::State::Streaming)
        return; // the first picture clears the message
    const QString message = StateText(state, text);
    if (message != m_message)
        ReportStatus(message);
    m_message = message;
    update();
}

void LiveScreen::ReportStatus(const QString& status)
{
    if (!m_settled && status != QStringLiteral("正在连接设备…")) {
        m_settled = true;
        QMetaObject::invokeMethod(
            this, [this] { emit StatusChanged(); }, Qt::QueuedConnection);
    }
    qWarning("%s: %s", m_target.padCode.c_str(), qPrintable(status));
    const QByteArray path = qgetenv("KORVANA_TOOL_STATUS");
    if (path.isEmpty())
        return;
    QFile file(QString::fromLocal8Bit(path));
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write((status + QLatin1Char('\n')).toUtf8());
}

QRect LiveScreen::FrameRect() const
{
    const QSize scaled = m_device.scaled(size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - scaled.width()) / 2, (height() - scaled.height()) / 2), scaled);
}

QPoint LiveScreen::ToDevice(QPoint point) const
{
    const QRect shown = FrameRect();
    if (shown.width() <= 0 || shown.height() <= 0)
        return {};
    const int x = (point.x() - shown.x()) * m_device.width() / shown.width();
    const int y = (point.y() - shown.y()) * m_device.height() / shown.height();
    return { std::clamp(x, 0, m_device.width() - 1), std::clamp(y, 0, m_device.height() - 1) };
}

void LiveScreen::resizeEvent(QResizeEvent*)
{
    if (m_client) {
        const QRect shown = FrameRect();
        const qreal ratio = devicePixelRatioF();
        m_client->SetPictureSize(
            static_cast<int>(shown.width() * ratio), static_cast<int>(shown.height() * ratio));
    }
}

void LiveScreen::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect shown = FrameRect();
    // Only the bars beside the picture need the background.
    const QRegion bars = QRegion(rect()) - QRegion(shown);
    for (const QRect& bar : bars)
        painter.fillRect(bar, QColor(18, 22, 32));
    if (m_frame.isNull())
        painter.fillRect(shown, QColor(18, 22, 32));
    else if (m_frame.size() == shown.size())
        painter.drawImage(shown.topLeft(), m_frame);
    else
        painter.drawImage(shown, m_frame);
    if (!m_message.isEmpty()) {
        painter.fillRect(shown, QColor(0, 0, 0, m_frame.isNull() ? 0 : 150));
        QFont font = painter.font();
        font.setPixelSize(std::max(12, width() / 24));
        painter.setFont(font);
        painter.setPen(QColor(235, 240, 250));
        painter.drawText(shown.adjusted(16, 0, -16, 0), Qt::AlignCenter | Qt::TextWordWrap, m_message);
    }
    if (m_fresh) {
        m_fresh = false;
        m_current.paintedUs = WallMicros();
        m_recent.push_back(m_current);
        while (!m_recent.empty() && m_recent.back().paintedUs - m_recent.front().paintedUs > 1000000)
            m_recent.pop_front();
        emit Painted(m_current);
    }
    if (m_overlay)
        PaintOverlay(painter);
}

void LiveScreen::PaintOverlay(QPainter& painter)
{
    double decode = 0, latency = 0, bytes = 0;
    for (const Shown& s : m_recent) {
        decode += s.decodeMs;
        latency += (static_cast<double>(s.paintedUs) - static_cast<double>(s.captureUs)) / 1000.0;
        bytes += static_cast<double>(s.unitBytes);
    }
    const double n = std::max<double>(1, static_cast<double>(m_recent.size()));
    const double span = m_recent.size() > 1
        ? static_cast<double>(m_recent.back().paintedUs - m_recent.front().paintedUs) / 1e6
        : 1.0;
    const double fps = m_recent.size() > 1 ? (static_cast<double>(m_recent.size()) - 1) / span : 0;
    const QString text = QStringLiteral("%1 fps\n解码 %2 ms\n延迟 %3 ms\n%4 kbit/s\n%5×%6")
                             .arg(fps, 0, 'f', 1)
                             .arg(decode / n, 0, 'f', 1)
                             .arg(latency / n, 0, 'f', 0)
                             .arg(bytes * 8 / 1000 / std::max(span, 0.001), 0, 'f', 0)
                             .arg(m_frame.width())
                             .arg(m_frame.height());
    QFont font = painter.font();
    font.setPixelSize(13);
    painter.setFont(font);
    const QRect box(8, 8, 150, 96);
    painter.fillRect(box, QColor(0, 0, 0, 170));
    painter.setPen(QColor(140, 255, 160));
    painter.drawText(box.adjusted(8, 4, -4, -4), Qt::AlignLeft | Qt::AlignTop, text);
}

void LiveScreen::SetOverlay(bool shown)
{
    m_overlay = shown;
    // Kept current while shown, even on a still screen.
    if (shown)
        m_overlayTimer.start(250);
    else
        m_overlayTimer.stop();
    update();
}

std::uint32_t LiveScreen::Send(const stream::Input& input)
{
    const std::uint32_t seq = m_client ? m_client->Send(input) : 0;
    if (seq != 0)
        m_lastSent = seq;
    return seq;
}

void LiveScreen::SendAndShow(const stream::Input& input)
{
    Send(input);
    emit Input(input);
}

void LiveScreen::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        stream::Input back;
        back.kind = stream::Input::Kind::Key;
        back.key = stream::Key::Back;
        SendAndShow(back);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    m_pressAt = event->position().toPoint();
    m_pressTime.start();
    const QPoint p = ToDevice(m_pressAt);
    m_path.assign(1, { p.x(), p.y() });
}

void LiveScreen::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressed)
        return;
    const QPoint p = ToDevice(event->position().toPoint());
    const stream::Point& last = m_path.back();
    if (std::abs(p.x() - last.x) + std::abs(p.y() - last.y) >= kPathStep
        && m_path.size() < stream::kMaxSwipePoints - 1)
        m_path.push_back({ p.x(), p.y() });
}

void LiveScreen::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    const QPoint releaseAt = event->position().toPoint();
    stream::Input input;
    if ((releaseAt - m_pressAt).manhattanLength() <= kTapDistance && m_path.size() <= 2) {
        input.kind = stream::Input::Kind::Tap;
        input.path = { m_path.front() };
    } else {
        const QPoint end = ToDevice(releaseAt);
        input.kind = stream::Input::Kind::Swipe;
        input.path = m_path;
        if (input.path.back() != stream::Point { end.x(), end.y() })
            input.path.push_back({ end.x(), end.y() });
        if (input.path.size() < 2)
            input.path.push_back(input.path.front());
        input.durationMs = static_cast<int>(std::min<qint64>(m_pressTime.elapsed(), 60000));
    }
    SendAndShow(input);
}

void LiveScreen::keyPressEvent(QKeyEvent* event)
{
    stream::Input input;
    input.kind = stream::Input::Kind::Key;
    switch (event->key()) {
    case Qt::Key_F12:
        SetOverlay(!m_overlay);
        return;
    case Qt::Key_Escape:
    case Qt::Key_Back:
        input.key = stream::Key::Back;
        break;
    case Qt::Key_Home:
        input.key = stream::Key::Home;
        break;
    case Qt::Key_End:
    case Qt::Key_Menu:
        input.key = stream::Key::Recents;
        break;
    default: {
        const QString text = event->text();
        if (text.isEmpty() || !text.at(0).isPrint()) {
            QWidget::keyPressEvent(event);
            return;
        }
        input.kind = stream::Input::Kind::Text;
        input.text = text.toStdString();
    }
    }
    SendAndShow(input);
}
