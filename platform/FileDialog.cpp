#include "platform/FileDialog.h"

#include <QFileDialog>
#include <QStringList>

#include "platform/QtWindowHandle.h"
#include "platform/TestHook.h"
#include "platform/UiThreadCall.h"

namespace {

HookSlot<std::wstring(WindowHandle, const std::wstring&)> g_hook;

}  // namespace

std::wstring ChooseFile(WindowHandle owner, const std::wstring& title)
{
    const std::wstring shownTitle = title.empty() ? std::wstring(kDefaultChooseFileTitle) : title;
    if (auto hook = g_hook.Get())
        return hook(owner, shownTitle);
    if (!CanShowDialogs())
        return {};
    std::wstring chosen;
    RunOnUiThread([&] {
        QFileDialog dialog(WidgetOfHandle(owner), QString::fromStdWString(shownTitle));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // "*" rather than "*.*": names without a dot are files too.
        dialog.setNameFilter(QStringLiteral("All files (*)"));
        if (dialog.exec() == QDialog::Accepted) {
            const QStringList files = dialog.selectedFiles();
            if (!files.isEmpty())
                chosen = files.front().toStdWString();
        }
    });
    return chosen;
}

void SetChooseFileHook(ChooseFileHook hook)
{
    g_hook.Set(std::move(hook));
}
