#include "app/PageBox.h"

#include "app/Shell.h"

void ShowError(IShell& shell, const std::wstring& text, MessageBoxIcon icon)
{
    MessageBox(text, L"错误", MessageBoxButtons::Ok, icon, shell.Owner());
}

void ShowNotice(IShell& shell, const std::wstring& text, MessageBoxIcon icon)
{
    MessageBox(text, L"提示", MessageBoxButtons::Ok, icon, shell.Owner());
}

bool AskOkCancel(IShell& shell, const std::wstring& text, MessageBoxIcon icon)
{
    return MessageBox(text, L"提示", MessageBoxButtons::OkCancel, icon, shell.Owner())
        == MessageBoxAnswer::Ok;
}
