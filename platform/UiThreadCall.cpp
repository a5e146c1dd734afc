#include "platform/UiThreadCall.h"

#include <QApplication>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <atomic>

void RunOnUiThread(const std::function<void()>& work)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(
        app, [&work] { work(); }, Qt::BlockingQueuedConnection);
}

void RunOnUiThreadLater(std::function<void()> work, int delayMs)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        work();
        return;
    }
    QTimer::singleShot(delayMs, app, std::move(work));
}

bool HaveWidgetApplication()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

namespace {

std::atomic<bool> g_dialogsWithoutDisplay { false };

} // namespace

bool CanShowDialogs()
{
    if (!HaveWidgetApplication())
        return false;
    if (g_dialogsWithoutDisplay.load())
        return true;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

void ShowDialogsWithoutDisplayForTesting(bool show)
{
    g_dialogsWithoutDisplay.store(show);
}
