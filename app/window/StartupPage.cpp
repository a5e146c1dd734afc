#include "app/window/StartupPage.h"

#include "app/MessageText.h"
#include "app/Messages.h"
#include "app/PageBox.h"
#include "app/Shell.h"

StartupPage::StartupPage(IShell& shell)
    : m_shell(shell)
{
}

std::vector<UINT> StartupPage::Messages() const
{
    return { msg::UM_STARTUP };
}

bool StartupPage::OnMessage(UINT id, WPARAM code, LPARAM lParam)
{
    if (id != msg::UM_STARTUP)
        return false;
    // "No update" is not the start-up task's last word: the wait it began
    // ends with its final report, so no click slips in between.
    if (code != msg::kUpdateNone)
        m_shell.EndWait();
    switch (code) {
    case msg::kStartupReady:
    case msg::kUpdateNone:
        break;
    case msg::kStartupDatabaseFailed:
    case msg::kUpdateHandedOff:
        m_shell.Quit();
        break;
    default:
        ShowError(m_shell, MessageText(lParam));
        break;
    }
    return true;
}
