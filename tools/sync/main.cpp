// DizuZivo: synchronised control. The client writes the devices to control
// into the user's shared-memory section "/moreplay<uid>" (mode 0600, a JSON
// array in code page 936, then zero bytes) and starts this program without arguments. It shows every
// device's play stream side by side, each at a reduced size, and repeats an
// input on one screen on all of them. It ends when its window is closed, on a close request and on
// SIGTERM.
#include <QApplication>
#include <QGridLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QWidget>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <string>
#include <vector>

#include "LiveScreen.h"
#include "ToolAids.h"
#include "platform/SharedSection.h"

namespace {

constexpr int kColumns = 4;
// The pictures the service sends for one cell: a third of the device's.
constexpr int kStreamWidth = 240;
constexpr int kStreamHeight = 426;

// Code page 936 to UTF-8; what is not valid there is dropped.
QByteArray Cp936ToUtf8(const std::string& text)
{
    iconv_t convert = iconv_open("UTF-8//IGNORE", "CP936");
    if (convert == reinterpret_cast<iconv_t>(-1))
        return QByteArray::fromStdString(text);
    std::string out(text.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(convert, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG)
                break;
            ++in; // skip a byte that is no character
            --inLeft;
        }
    }
    iconv_close(convert);
    out.resize(out.size() - outLeft);
    return QByteArray::fromStdString(out);
}

QString Text(const QJsonObject& object, const char* key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isDouble())
        return QString::number(static_cast<qint64>(value.toDouble()));
    return value.toString();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    EchoArguments(argc, argv);
    QuitOnTerminationSignals();

    if (const char* section = std::getenv(kSyncSectionTestVariable); section != nullptr && *section != '\0')
        SetSyncSectionNameForTesting(section);
    const QJsonDocument list = QJsonDocument::fromJson(Cp936ToUtf8(ReadSyncSection()));
    QWidget window;
    auto* grid = new QGridLayout(&window);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setSpacing(8);
    QList<LiveScreen*> screens;
    for (const QJsonValue& item : list.array()) {
        const QJsonObject device = item.toObject();
        StreamTarget target;
        target.session = Text(device, "SessionID").toStdString();
        target.user = Text(device, "UserID").toStdString();
        target.padCode = Text(device, "PadCode").toStdString();
        target.host = Text(device, "Ip").toStdString();
        target.port = Text(device, "Port").toStdString();
        target.maxWidth = kStreamWidth;
        target.maxHeight = kStreamHeight;
        auto* cell = new QWidget(&window);
        auto* column = new QVBoxLayout(cell);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(4);
        auto* caption = new QLabel(Text(device, "PadName"), cell);
        caption->setAlignment(Qt::AlignCenter);
        auto* screen = new LiveScreen(target, cell);
        screen->setMinimumSize(135, 240);
        column->addWidget(caption);
        column->addWidget(screen, 1);
        grid->addWidget(
            cell, static_cast<int>(screens.size()) / kColumns, static_cast<int>(screens.size()) % kColumns);
        screens.push_back(screen);
    }
    for (LiveScreen* screen : screens) {
        QObject::connect(screen, &LiveScreen::Input, screen, [screen, screens](const stream::Input& input) {
            for (LiveScreen* other : screens) {
                if (other != screen)
                    other->Send(input);
            }
        });
    }
    if (screens.isEmpty())
        grid->addWidget(new QLabel(QStringLiteral("没有需要群控的设备"), &window), 0, 0, Qt::AlignCenter);
    window.setWindowTitle(QStringLiteral("设备群控（%1台）").arg(screens.size()));
    const int columns = std::max(1, std::min<int>(kColumns, static_cast<int>(screens.size())));
    const int rows = std::max<int>(1, (static_cast<int>(screens.size()) + kColumns - 1) / kColumns);
    window.resize(columns * 248 + 8, rows * 460 + 8);
    RunToolScript(window, screens);
    window.show();
    return app.exec();
}
