#include "platform/Browser.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

#include "platform/MessageBox.h"
#include "platform/TestHook.h"
#include "platform/UiThreadCall.h"

namespace {

HookSlot<bool(const std::wstring&)> g_hook;

} // namespace

bool OpenUrl(const std::wstring& url)
{
    if (auto hook = g_hook.Get())
        return hook(url);
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    bool opened = false;
    RunOnUiThread(
        [&] { opened = QDesktopServices::openUrl(QUrl(QString::fromStdWString(url), QUrl::TolerantMode)); });
    return opened;
}

void OpenUrlOrShowAddress(const std::wstring& url, WindowHandle owner)
{
    if (OpenUrl(url))
        return;
    MessageBox(L"没有找到可以打开网页的浏览器，请复制下面的地址，在浏览器中打开：\n" + url, L"提示",
        MessageBoxButtons::Ok, MessageBoxIcon::Information, owner);
}

void SetOpenUrlHook(OpenUrlHook hook)
{
    g_hook.Set(std::move(hook));
}
