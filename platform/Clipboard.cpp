#include "platform/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/UiThreadCall.h"

namespace {

bool HaveGuiApplication()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace

void SetClipboardText(const std::wstring& text)
{
    if (!HaveGuiApplication())
        return;
    RunOnUiThread([&] { QGuiApplication::clipboard()->setText(QString::fromStdWString(text)); });
}

std::wstring ClipboardText()
{
    if (!HaveGuiApplication())
        return {};
    std::wstring text;
    RunOnUiThread([&] { text = QGuiApplication::clipboard()->text().toStdWString(); });
    return text;
}
