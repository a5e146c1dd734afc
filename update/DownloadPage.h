#pragma once

#include "app/Page.h"

class IShell;

namespace DuiLib {
class CLabelUI;
class CProgressUI;
} // namespace DuiLib

// The update's download page (page 2 of TabOfMainWnd): shown when the
// download of a new version starts, then its progress bar and text. The other
// outcomes of the start-up task are the window's.
class DownloadPage final : public IPage {
public:
    explicit DownloadPage(IShell& shell);

    std::vector<std::wstring> Routes() const override { return {}; }
    std::vector<UINT> Messages() const override;
    bool Bind(DuiLib::CPaintManagerUI& paint) override;
    bool OnNotify(DuiLib::TNotifyUI&) override { return false; }
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    IShell& m_shell;
    DuiLib::CProgressUI* m_progress = nullptr;
    DuiLib::CLabelUI* m_text = nullptr;
};
