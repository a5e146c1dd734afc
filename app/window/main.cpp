// The entry routine of the client.
#include <QApplication>
#include <QIcon>
#include <QPixmap>

#include <chrono>
#include <string>

#include "app/CommandLine.h"
#include "app/Task.h"
#include "app/window/Client.h"
#include "platform/FileDialog.h"
#include "ui/UIManager.h"

int main(int argc, char** argv)
{
    // Answered before the application object exists: --version must work
    // without a display and leave no file behind.
    const CommandLineChoice choice = ParseCommandLine(argc, argv);
    if (choice.request != CommandLineRequest::Run)
        return AnswerCommandLine(choice);
    // Message boxes need the application object, even before the window.
    QApplication application(argc, argv);
    LoadStandardDialogTexts();
    // Lets the desktop match the window to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.korvana.Korvana"));
    RegisterEmbeddedSkin();
    std::string icon;
    if (DuiLib::CPaintManagerUI::ReadResourceFile(L"img/icon/korvana_64.png", icon)) {
        QPixmap picture;
        if (picture.loadFromData(reinterpret_cast<const uchar*>(icon.data()), static_cast<uint>(icon.size())))
            QApplication::setWindowIcon(QIcon(picture));
    }
    const int code = RunClient();
    // Tasks still waiting on the network get a moment, then the process ends
    // without running static destructors under them.
    EndProcessAfterTasks(code, std::chrono::milliseconds(500));
}
