// ZorIzoriz: the device player. The client starts it with the command line
//   ZorIzoriz <pad code> <address> <port> - <user> 1 0 not 0 <name...>
// (the name may be several words) and the play session in the environment
// variable KORVANA_PLAY_SESSION: a command line is visible to every local
// user, the environment only to the same user. For a run by hand the session
// may stand in place of the "-" instead. It shows the device's live screen in a
// window titled with the device name and sends clicks and drags as taps and
// swipes. It ends when its window is closed, on a close request and on
// SIGTERM.
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QNetworkAccessManager>
#include <QStringList>

#include "LiveScreen.h"

namespace {

QString PlaySession(const QString& argument)
{
    if (qEnvironmentVariableIsSet("KORVANA_PLAY_SESSION"))
        return qEnvironmentVariable("KORVANA_PLAY_SESSION");
    return argument == QLatin1String("-") ? QString() : argument;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    EchoArguments(argc, argv);
    QuitOnTerminationSignals();
    UsePlayTransport();

    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    StreamSource source;
    if (args.size() >= 5) {
        source.padCode = args[0];
        source.host = args[1];
        source.port = args[2];
        source.session = PlaySession(args[3]);
        source.user = args[4];
    }
    const QString name = args.size() > 9 ? args.mid(9).join(QLatin1Char(' ')) : source.padCode;

    QNetworkAccessManager network;
    QWidget window;
    window.setWindowTitle(name.isEmpty() ? QStringLiteral("设备") : name);
    auto* column = new QVBoxLayout(&window);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    // The name inside the window as well: a window manager may hide titles.
    auto* caption = new QLabel(window.windowTitle() + QStringLiteral("  ·  ") + source.padCode, &window);
    caption->setFixedHeight(28);
    caption->setIndent(10);
    caption->setStyleSheet(QStringLiteral("background:#141E36;color:#E4ECFA;"));
    auto* screen = new LiveScreen(source, network, &window);
    column->addWidget(caption);
    column->addWidget(screen, 1);
    window.resize(360, 668);
    SavePictureWhenShown(window, {screen});
    ClickWhenShown(*screen);
    window.show();
    return app.exec();
}
