#include "update/DownloadPage.h"

#include "app/Messages.h"
#include "app/Shell.h"
#include "net/NumberText.h"
#include "ui/UILabel.h"
#include "ui/UIManager.h"
#include "ui/UIProgress.h"

using namespace DuiLib;

DownloadPage::DownloadPage(IShell& shell)
    : m_shell(shell)
{
}

std::vector<UINT> DownloadPage::Messages() const
{
    return { msg::UM_STARTUP };
}

bool DownloadPage::Bind(CPaintManagerUI& paint)
{
    m_progress = paint.FindControlAs<CProgressUI>(L"ProOfDownload");
    m_text = paint.FindControlAs<CLabelUI>(L"LabOfDownload");
    return m_progress && m_text;
}

bool DownloadPage::OnMessage(UINT id, WPARAM code, LPARAM lParam)
{
    if (id != msg::UM_STARTUP || (code != msg::kUpdateDownloading && code != msg::kUpdateProgress))
        return false;
    // Every report of the start-up task but "no update" ends its wait.
    m_shell.EndWait();
    if (code == msg::kUpdateDownloading) {
        m_shell.ShowDownload();
        return true;
    }
    const int percent = static_cast<int>(lParam);
    m_progress->SetValue(percent);
    m_text->SetText(L"已完成更新 " + IntToWide(percent) + L"% ...");
    return true;
}
