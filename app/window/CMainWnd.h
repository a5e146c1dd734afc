#pragma once

#include <memory>
#include <string>

#include "app/Shell.h"
#include "app/window/PageRouter.h"
#include "platform/TrayIcon.h"
#include "ui/UIShadow.h"
#include "ui/UIWindow.h"

namespace DuiLib {
class CButtonUI;
class CTabLayoutUI;
} // namespace DuiLib

// The one top-level window of the client: it loads MainWnd.xml from the
// embedded skin, owns the ClientManager and creates the pages, routes every
// notification by the sender's userdata and every custom message by its id
// to the pages, and keeps what belongs to the window itself: the tray icon
// and menu, the close decision, and the order of the sign-in and sign-out.
class CMainWnd final : public DuiLib::WindowImplBase, public IShell {
public:
    // The skin package's resource id.
    static constexpr int kSkinResourceId = 105;

    CMainWnd();
    ~CMainWnd() override;

    // --- WindowImplBase
    std::wstring GetWindowClassName() const override { return L"CMainWnd"; }
    void InitWindow() override;
    std::wstring GetSkinFolder() override { return {}; }
    std::wstring GetSkinFile() override { return L"MainWnd.xml"; }
    DuiLib::UILIB_RESOURCETYPE GetResourceType() const override { return DuiLib::UILIB_ZIPRESOURCE; }
    std::wstring GetZIPFileName() const override { return {}; }
    int GetResourceID() const override { return kSkinResourceId; }
    LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
    void Notify(DuiLib::TNotifyUI& msg) override;

    // --- IShell
    DuiLib::CPaintManagerUI& Paint() override { return m_pm; }
    WindowHandle Owner() override;
    ClientManager& Client() override { return *m_client; }
    const std::shared_ptr<ClientManager>& ClientRef() override { return m_client; }
    TaskHandle StartBody(std::unique_ptr<TaskBody> body) override;
    void BeginWait() override { BeginWaitCursor(); }
    void EndWait() override { EndWaitCursor(); }
    void GenericFailure(const std::wstring& text) override;
    void SignIn() override;
    void OnLoggedIn() override;
    void SignOut() override;
    void ShowSignIn() override;
    void ShowDownload() override;
    void RequestClose(unsigned code) override { Close(code); }
    void Quit() override { PostQuitMessage(0); }
    void ShowTrayMenu() override;
    IAccountActions& Account() override { return Pages().account; }
    IDeviceActions& Devices() override { return Pages().devices; }
    IControlActions& Control() override { return Pages().control; }
    ICommerceActions& Commerce() override { return Pages().commerce; }
    IMarketActions& Market() override { return Pages().market; }
    INotifyActions& Notices() override { return Pages().notices; }

    // True after the first successful login of this sign-in.
    bool IsLoggedIn() const { return m_loggedIn; }
    // False when InitWindow found a control missing (the window then quits).
    bool IsBound() const { return m_bound; }
    TrayIcon& Tray() { return m_tray; }
    const DuiLib::CWndShadow& Shadow() const { return m_shadow; }

    // The end of the window: the queue detached, the ClientManager let go
    // once no task is inside the window any more. Called by the destructor;
    // the entry routine calls it before it ends the process.
    void ReleaseClient();

private:
    PageSet& Pages() { return m_router->Pages(); }
    bool BindControls();
    void OnWindowInit();
    void OnTrayMessage(LPARAM mouseMessage, BOOL& bHandled);
    void OnCommand(UINT id);
    // The close decision; false when the window stays (hidden, or refused).
    bool MayClose(WPARAM code);
    void HideToTray();
    void ShowMainWindowPage(int page);

    std::shared_ptr<ClientManager> m_client;
    TrayIcon m_tray;
    DuiLib::CWndShadow m_shadow;
    bool m_loggedIn = false;
    bool m_bound = false;
    bool m_signingOut = false;

    std::unique_ptr<PageRouter> m_router;

    DuiLib::CTabLayoutUI* m_tabOfMainWnd = nullptr;
    DuiLib::CButtonUI* m_btnOfSetting = nullptr;
};
