// ZorIzoriz: the device player. The client starts it with the command line
//   ZorIzoriz <pad code> <address> <port> <session> <user> 1 0 not 0 <name...>
// (the name may be several words). It shows the device's live screen in a
// window titled with the device name and sends clicks and drags as taps and
// swipes. It ends when its window is closed, on a close request and on
// SIGTERM.
#include <QApplication>
#include <QNetworkAccessManager>
#include <QStringList>

#include "LiveScreen.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    EchoArguments(argc, argv);
    QuitOnTerminationSignals();

    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    StreamSource source;
    if (args.size() >= 5) {
        source.padCode = args[0];
        source.host = args[1];
        source.port = args[2];
        source.session = args[3];
        source.user = args[4];
    }
    const QString name = args.size() > 9 ? args.mid(9).join(QLatin1Char(' ')) : source.padCode;

    QNetworkAccessManager network;
    LiveScreen screen(source, network);
    screen.setWindowTitle(name.isEmpty() ? QStringLiteral("设备") : name);
    screen.resize(360, 640);
    SavePictureWhenShown(screen, {&screen});
    screen.show();
    return app.exec();
}
