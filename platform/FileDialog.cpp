#include "platform/FileDialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

#include "platform/QtWindowHandle.h"
#include "platform/TestHook.h"
#include "platform/UiThreadCall.h"

namespace {

HookSlot<std::wstring(WindowHandle, const std::wstring&)> g_hook;

} // namespace

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

bool LoadStandardDialogTexts()
{
    if (!QCoreApplication::instance())
        return false;
    // The client's own texts are Chinese whatever the desktop's language.
    static QTranslator* translator = nullptr;
    if (translator)
        return true;
    auto* loaded = new QTranslator(QCoreApplication::instance());
    if (!loaded->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
            QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete loaded;
        return false;
    }
    QCoreApplication::installTranslator(loaded);
    translator = loaded;
    return true;
}
