#pragma once

#include "app/Page.h"

class IShell;

// The reports of the start-up task (UM_STARTUP) that are not the download
// page's: each but "no update" ends the wait the task began; a database that
// cannot be used, or an update that took over, ends the client; a failure is
// shown.
class StartupPage final : public IPage {
public:
    explicit StartupPage(IShell& shell);

    std::vector<std::wstring> Routes() const override { return {}; }
    std::vector<UINT> Messages() const override;
    bool Bind(DuiLib::CPaintManagerUI&) override { return true; }
    bool OnNotify(DuiLib::TNotifyUI&) override { return false; }
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    IShell& m_shell;
};
