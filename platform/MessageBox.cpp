#include "platform/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

#include "platform/DebugLog.h"
#include "platform/QtWindowHandle.h"
#include "platform/TestHook.h"
#include "platform/UiThreadCall.h"

namespace {

HookSlot<MessageBoxAnswer(const MessageBoxRequest&)> g_hook;

QMessageBox::Icon QtIcon(MessageBoxIcon icon)
{
    switch (icon) {
    case MessageBoxIcon::Information:
        return QMessageBox::Information;
    case MessageBoxIcon::Warning:
        return QMessageBox::Warning;
    case MessageBoxIcon::Error:
        return QMessageBox::Critical;
    case MessageBoxIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

MessageBoxAnswer ShowOnUiThread(const MessageBoxRequest& request)
{
    QMessageBox box(QtIcon(request.icon), QString::fromStdWString(request.caption),
        QString::fromStdWString(request.text), QMessageBox::NoButton, WidgetOfHandle(request.owner));
    QPushButton* ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    QPushButton* cancel = nullptr;
    if (request.buttons == MessageBoxButtons::OkCancel)
        cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(cancel ? cancel : ok);
    // What a box says can be selected and copied (an address, an error text).
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    if (!request.owner)
        box.setWindowModality(Qt::ApplicationModal);
    if (request.topmost)
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.exec();
    return (cancel && box.clickedButton() != ok) ? MessageBoxAnswer::Cancel : MessageBoxAnswer::Ok;
}

} // namespace

MessageBoxAnswer MessageBox(const std::wstring& text, const std::wstring& caption, MessageBoxButtons buttons,
    MessageBoxIcon icon, WindowHandle owner, bool topmost)
{
    MessageBoxRequest request { text, caption, buttons, icon, owner, topmost };
    if (auto hook = g_hook.Get())
        return hook(request);
    // Every box also goes to the log, so a headless run shows what it said.
    DebugLogW(L"message box: %ls / %ls\n", caption.c_str(), text.c_str());
    if (!CanShowDialogs())
        return buttons == MessageBoxButtons::Ok ? MessageBoxAnswer::Ok : MessageBoxAnswer::Cancel;
    MessageBoxAnswer answer = MessageBoxAnswer::Cancel;
    RunOnUiThread([&] { answer = ShowOnUiThread(request); });
    return answer;
}

void SetMessageBoxHook(MessageBoxHook hook)
{
    g_hook.Set(std::move(hook));
}
