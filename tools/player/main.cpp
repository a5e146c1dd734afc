// ZorIzoriz: the device player. The client starts it with the command line
//   ZorIzoriz <pad code> <address> <port> <session> <user> 1 0 not 0 <name...>
// (the name may be several words). The session comes in the environment
// variable KORVANA_PLAY_SESSION, the command line then carries "-" in its
// place; a session on the command line is taken for hand runs. It shows the
// device's play stream in a resizable window titled with the device name and
// sends the mouse and keys as the device's input. It ends when its window is
// closed, on a close request and on SIGTERM.
#include <QApplication>
#include <QLabel>
#include <QStringList>
#include <QVBoxLayout>

#include "LiveScreen.h"
#include "ToolAids.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    EchoArguments(argc, argv);
    QuitOnTerminationSignals();

    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    StreamTarget target;
    if (args.size() >= 5) {
        target.padCode = args[0].toStdString();
        target.host = args[1].toStdString();
        target.port = args[2].toStdString();
        target.session = args[3] == QStringLiteral("-") ? std::string() : args[3].toStdString();
        target.user = args[4].toStdString();
    }
    const QByteArray session = qgetenv("KORVANA_PLAY_SESSION");
    if (!session.isEmpty())
        target.session = session.toStdString();
    const QString padCode = QString::fromStdString(target.padCode);
    const QString name = args.size() > 9 ? args.mid(9).join(QLatin1Char(' ')) : padCode;

    QWidget window;
    window.setWindowTitle(name.isEmpty() ? QStringLiteral("设备") : name);
    auto* column = new QVBoxLayout(&window);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    // The name inside the window as well: a window manager may hide titles.
    auto* caption = new QLabel(
        window.windowTitle() + QStringLiteral("  ·  ") + padCode + QStringLiteral("    (F12: 帧率/延迟)"),
        &window);
    caption->setFixedHeight(28);
    caption->setIndent(10);
    caption->setStyleSheet(QStringLiteral("background:#141E36;color:#E4ECFA;"));
    auto* screen = new LiveScreen(target, &window);
    screen->setMinimumSize(90, 160);
    column->addWidget(caption);
    column->addWidget(screen, 1);
    window.resize(360, 668);
    RunToolScript(window, { screen });
    window.show();
    screen->setFocus();
    return app.exec();
}
