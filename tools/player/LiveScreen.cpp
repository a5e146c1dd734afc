#include "LiveScreen.h"

#include <QCoreApplication>
#include <QFile>
#include <QMouseEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPainter>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSocketNotifier>
#include <QUrlQuery>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kFramePauseMs = 80;
constexpr int kRetryMs = 1000;
constexpr int kTransferLimitMs = 5000;
constexpr int kTapDistance = 8;

int g_signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] ssize_t written = write(g_signalPipe[1], &byte, 1);
}

}  // namespace

LiveScreen::LiveScreen(StreamSource source, QNetworkAccessManager& network, QWidget* parent)
    : QWidget(parent), m_source(std::move(source)), m_network(network), m_message(QStringLiteral("正在连接设备…"))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
    m_next.setSingleShot(true);
    connect(&m_next, &QTimer::timeout, this, &LiveScreen::Fetch);
    if (m_source.host.isEmpty() || m_source.port.toInt() <= 0 || m_source.port.toInt() > 65535) {
        m_message = QStringLiteral("设备地址无效，无法显示画面");
        ReportStatus(m_message);
    } else {
        QTimer::singleShot(0, this, &LiveScreen::Fetch);
    }
}

QSize LiveScreen::sizeHint() const
{
    return {360, 640};
}

QUrl LiveScreen::Url(const QString& path) const
{
    QUrl url;
    // A client built for TLS says so; its play address then speaks https.
    static const bool tls = qgetenv("KORVANA_PLAY_SCHEME") == "https";
    url.setScheme(tls ? QStringLiteral("https") : QStringLiteral("http"));
    url.setHost(m_source.host);
    url.setPort(m_source.port.toInt());
    url.setPath(path);
    return url;
}

void UsePlayTransport()
{
    // The CA bundle the client pins, instead of the system's store; Qt
    // verifies the peer and its host name for https as libcurl does.
    const QString caFile = qEnvironmentVariable("KORVANA_PLAY_CA");
    if (caFile.isEmpty())
        return;
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setCaCertificates(QSslCertificate::fromPath(caFile, QSsl::Pem));
    QSslConfiguration::setDefaultConfiguration(configuration);
}

void LiveScreen::ReportStatus(const QString& status)
{
    m_settled = true;
    QTimer::singleShot(0, this, [this] { emit StatusChanged(); });
    qWarning("%s: %s", qPrintable(m_source.padCode), qPrintable(status));
    const QByteArray path = qgetenv("KORVANA_TOOL_STATUS");
    if (path.isEmpty())
        return;
    QFile file(QString::fromLocal8Bit(path));
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write((status + QLatin1Char('\n')).toUtf8());
}

void LiveScreen::Fetch()
{
    QUrl url = Url(QStringLiteral("/api/qtz/front_device_screen"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("sn"), m_source.padCode);
    query.addQueryItem(QStringLiteral("user"), m_source.user);
    url.setQuery(query);
    QNetworkRequest request(url);
    request.setRawHeader("Cookie", "korvana_session=" + m_source.session.toUtf8());
    request.setTransferTimeout(kTransferLimitMs);
    QNetworkReply* reply = m_network.get(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { OnFrame(reply); });
}

void LiveScreen::OnFrame(QNetworkReply* reply)
{
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->readAll();
    QString problem;
    QImage frame;
    const int error = reply->error();
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    // Network-layer errors are 1..99; a frame cut short may still decode.
    const bool cut = (error == QNetworkReply::RemoteHostClosedError && (status != 0 || !body.isEmpty())) ||
                     (length.isValid() && length.toLongLong() != body.size());
    if (cut) {
        problem = QStringLiteral("设备画面中断，正在重新连接…");
    } else if (error > 0 && error < 100) {
        problem = QStringLiteral("无法连接设备画面，正在重试…");
    } else if (status == 503) {
        problem = QStringLiteral("设备正在重启，请稍候…");
    } else if (status == 403 || body.startsWith("{")) {
        // The service answers a missing session with its JSON envelope.
        problem = QStringLiteral("会话已失效，请在客户端重新登录后再打开设备");
    } else if (status != 200 || !frame.loadFromData(body, "JPEG")) {
        problem = status == 200 ? QStringLiteral("设备画面中断，正在重新连接…")
                                : QStringLiteral("无法连接设备画面（%1），正在重试…").arg(status);
    }
    if (problem.isEmpty()) {
        const bool first = m_frame.isNull() || !m_message.isEmpty();
        if (first)
            ReportStatus(QStringLiteral("frame"));
        m_frame = frame;
        m_message.clear();
        update();
        if (first)
            emit FrameShown();
        m_next.start(kFramePauseMs);
        return;
    }
    if (problem != m_message)
        ReportStatus(problem);
    m_message = problem;
    update();
    m_next.start(kRetryMs);
}

QRect LiveScreen::FrameRect() const
{
    const QSize frameSize = m_frame.isNull() ? QSize(360, 640) : m_frame.size();
    const QSize scaled = frameSize.scaled(size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - scaled.width()) / 2, (height() - scaled.height()) / 2), scaled);
}

QPoint LiveScreen::ToDevice(QPoint point) const
{
    const QRect shown = FrameRect();
    const QSize frameSize = m_frame.isNull() ? QSize(360, 640) : m_frame.size();
    if (shown.width() <= 0 || shown.height() <= 0)
        return {};
    const int x = (point.x() - shown.x()) * frameSize.width() / shown.width();
    const int y = (point.y() - shown.y()) * frameSize.height() / shown.height();
    return {std::clamp(x, 0, frameSize.width() - 1), std::clamp(y, 0, frameSize.height() - 1)};
}

void LiveScreen::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(18, 22, 32));
    const QRect shown = FrameRect();
    if (!m_frame.isNull())
        painter.drawImage(shown, m_frame);
    if (m_message.isEmpty())
        return;
    painter.fillRect(shown, QColor(0, 0, 0, m_frame.isNull() ? 0 : 150));
    QFont font = painter.font();
    font.setPixelSize(std::max(12, width() / 24));
    painter.setFont(font);
    painter.setPen(QColor(235, 240, 250));
    painter.drawText(shown.adjusted(16, 0, -16, 0), Qt::AlignCenter | Qt::TextWordWrap, m_message);
}

void LiveScreen::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    m_pressAt = event->position().toPoint();
}

void LiveScreen::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    const QPoint releaseAt = event->position().toPoint();
    ScreenInput input;
    input.from = ToDevice(m_pressAt);
    input.to = ToDevice(releaseAt);
    input.swipe = (releaseAt - m_pressAt).manhattanLength() > kTapDistance;
    Send(input);
    emit Input(input);
}

void LiveScreen::Send(const ScreenInput& input)
{
    if (m_source.host.isEmpty())
        return;
    QUrlQuery form;
    form.addQueryItem(QStringLiteral("sn"), m_source.padCode);
    form.addQueryItem(QStringLiteral("user"), m_source.user);
    form.addQueryItem(QStringLiteral("kind"), input.swipe ? QStringLiteral("swipe") : QStringLiteral("tap"));
    form.addQueryItem(QStringLiteral("x"), QString::number(input.from.x()));
    form.addQueryItem(QStringLiteral("y"), QString::number(input.from.y()));
    if (input.swipe) {
        form.addQueryItem(QStringLiteral("x2"), QString::number(input.to.x()));
        form.addQueryItem(QStringLiteral("y2"), QString::number(input.to.y()));
    }
    QNetworkRequest request(Url(QStringLiteral("/api/qtz/front_device_input")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    request.setRawHeader("Cookie", "korvana_session=" + m_source.session.toUtf8());
    request.setTransferTimeout(kTransferLimitMs);
    QNetworkReply* reply = m_network.post(request, form.query(QUrl::FullyEncoded).toUtf8());
    connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
}

void QuitOnTerminationSignals()
{
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void EchoArguments(int argc, char** argv)
{
    const QByteArray path = qgetenv("KORVANA_TOOL_ECHO");
    if (path.isEmpty())
        return;
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    for (int i = 1; i < argc; ++i) {
        file.write(argv[i]);
        file.write("\n");
    }
}

void SavePictureWhenShown(QWidget& window, const QList<LiveScreen*>& screens)
{
    const QString path = QString::fromLocal8Bit(qgetenv("KORVANA_TOOL_PNG"));
    if (path.isEmpty())
        return;
    for (LiveScreen* screen : screens) {
        QObject::connect(screen, &LiveScreen::StatusChanged, &window, [&window, screens, path] {
            static bool saved = false;
            for (LiveScreen* each : screens) {
                if (!each->Settled())
                    return;
            }
            if (saved)
                return;
            saved = true;
            // One more frame so the picture shows a settled window.
            QTimer::singleShot(300, &window, [&window, path] { window.grab().save(path); });
        });
    }
}

void ClickWhenShown(LiveScreen& screen)
{
    const QList<QByteArray> numbers = qgetenv("KORVANA_TOOL_CLICK").split(',');
    if (numbers.size() != 2 && numbers.size() != 4)
        return;
    const QPoint from(numbers[0].toInt(), numbers[1].toInt());
    const QPoint to = numbers.size() == 4 ? QPoint(numbers[2].toInt(), numbers[3].toInt()) : from;
    auto* once = new QObject(&screen);
    QObject::connect(&screen, &LiveScreen::FrameShown, once, [&screen, once, from, to] {
        QMouseEvent press(QEvent::MouseButtonPress, from, screen.mapToGlobal(from), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, to, screen.mapToGlobal(to), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(&screen, &press);
        QCoreApplication::sendEvent(&screen, &release);
        once->deleteLater();
    });
}
