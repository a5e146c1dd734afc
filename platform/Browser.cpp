#include "platform/Browser.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

#include "platform/TestHook.h"
#include "platform/UiThreadCall.h"

namespace {

HookSlot<bool(const std::wstring&)> g_hook;

}  // namespace

bool OpenUrl(const std::wstring& url)
{
    if (auto hook = g_hook.Get())
        return hook(url);
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    bool opened = false;
    RunOnUiThread([&] { opened = QDesktopServices::openUrl(QUrl(QString::fromStdWString(url), QUrl::TolerantMode)); });
    return opened;
}

void SetOpenUrlHook(OpenUrlHook hook)
{
    g_hook.Set(std::move(hook));
}
