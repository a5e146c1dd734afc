#include "ToolAids.h"

#include <QCoreApplication>
#include <QFile>
#include <QMouseEvent>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

#include "LiveScreen.h"

namespace {

int g_signalPipe[2] = { -1, -1 };

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] ssize_t written = write(g_signalPipe[1], &byte, 1);
}

QString EnvPath(const char* name)
{
    return QString::fromLocal8Bit(qgetenv(name));
}

// The steps of one run, in order: first picture, click, second picture.
struct Script {
    QWidget* window = nullptr;
    QList<LiveScreen*> screens;
    QString firstPicture;
    QString secondPicture;
    QList<QByteArray> click;
    bool firstDone = false;
    bool firstSaved = false;
    bool clicked = false;
    bool secondDone = false;
    std::uint32_t clickSeq = 0;
    int framesAfterClick = 0;

    bool AllSettled() const
    {
        for (LiveScreen* s : screens) {
            if (!s->Settled())
                return false;
        }
        return true;
    }
    void Advance()
    {
        if (!firstDone && !firstPicture.isEmpty()) {
            if (!AllSettled())
                return;
            firstDone = true;
            // A few more frames, so the picture shows a settled window.
            QTimer::singleShot(300, window, [this] {
                window->grab().save(firstPicture);
                firstSaved = true;
                Advance();
            });
            return;
        }
        // Once every screen streams: an input mirrored to a screen still
        // connecting would be lost.
        const bool allStreaming
            = std::all_of(screens.begin(), screens.end(), [](LiveScreen* s) { return s->HasFrame(); });
        if (!clicked && (click.size() == 2 || click.size() == 4) && !screens.isEmpty() && allStreaming
            && (firstPicture.isEmpty() || firstSaved)) {
            clicked = true;
            Click(*screens.front());
        }
    }
    void Click(LiveScreen& screen)
    {
        const QPoint from(click[0].toInt(), click[1].toInt());
        const QPoint to = click.size() == 4 ? QPoint(click[2].toInt(), click[3].toInt()) : from;
        QMouseEvent press(QEvent::MouseButtonPress, from, screen.mapToGlobal(from), Qt::LeftButton,
            Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&screen, &press);
        if (to != from) {
            for (int i = 1; i <= 8; ++i) {
                const QPoint at = from + (to - from) * i / 8;
                QMouseEvent move(QEvent::MouseMove, at, screen.mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                    Qt::NoModifier);
                QCoreApplication::sendEvent(&screen, &move);
            }
        }
        QMouseEvent release(QEvent::MouseButtonRelease, to, screen.mapToGlobal(to), Qt::LeftButton,
            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&screen, &release);
        clickSeq = screen.LastSent();
    }
    void OnPainted(const LiveScreen::Shown& shown)
    {
        if (!clicked || secondDone || secondPicture.isEmpty() || clickSeq == 0 || shown.inputSeq < clickSeq)
            return;
        // The first frames after the click show it: the app opening with
        // the tap's ripple still there.
        if (++framesAfterClick < 4)
            return;
        secondDone = true;
        // Not from inside the paint that reported the frame.
        QTimer::singleShot(0, window, [this] { window->grab().save(secondPicture); });
    }
};

} // namespace

void QuitOnTerminationSignals()
{
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    auto* notifier
        = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
    struct sigaction action { };
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

void RunToolScript(QWidget& window, const QList<LiveScreen*>& screens)
{
    auto script = std::make_shared<Script>();
    script->window = &window;
    script->screens = screens;
    script->firstPicture = EnvPath("KORVANA_TOOL_PNG");
    script->secondPicture = EnvPath("KORVANA_TOOL_PNG2");
    const QByteArray click = qgetenv("KORVANA_TOOL_CLICK");
    if (!click.isEmpty())
        script->click = click.split(',');
    if (script->firstPicture.isEmpty() && script->click.isEmpty())
        return;
    for (LiveScreen* screen : screens) {
        QObject::connect(screen, &LiveScreen::StatusChanged, &window, [script] { script->Advance(); });
        QObject::connect(screen, &LiveScreen::FrameShown, &window, [script] { script->Advance(); });
    }
    if (!screens.isEmpty())
        QObject::connect(screens.front(), &LiveScreen::Painted, &window,
            [script](const LiveScreen::Shown& shown) { script->OnPainted(shown); });
}
