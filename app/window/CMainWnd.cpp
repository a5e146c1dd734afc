#include "app/window/CMainWnd.h"

#include <chrono>
#include <new>

#include "account/Login.h"
#include "account/SignPage.h"
#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/Messages.h"
#include "app/ServiceLinks.h"
#include "app/SettingsFile.h"
#include "app/Startup.h"
#include "app/TrayMenu.h"
#include "app/actions/NotifyActions.h"
#include "app/window/BoundControls.h"
#include "app/window/MainTabPage.h"
#include "app/window/StartupTask.h"
#include "net/CancelToken.h"
#include "net/ServiceCall.h"
#include "platform/Browser.h"
#include "platform/DebugLog.h"
#include "platform/MessageBox.h"
#include "platform/PopupMenu.h"
#include "ui/UIButton.h"
#include "ui/UITabLayout.h"

using namespace DuiLib;

namespace {

// The pages of TabOfMainWnd.
constexpr int kSignInPage = 0;
constexpr int kMainPage = 1;
constexpr int kDownloadPage = 2;
// How long the sign-out gives the logout call before aborting it.
constexpr std::chrono::milliseconds kLogoutWaitLimit { 700 };

} // namespace

CMainWnd::CMainWnd()
{
    m_tray.SetCallback([this](LPARAM mouseMessage) { SendMessage(msg::UM_TRAYICON, 0, mouseMessage); });
    // The same menu as the context click's, for desktops that show the
    // icon's menu themselves; a choice arrives as the popup's does.
    m_tray.SetMenu([] { return TrayMenuItems(SettingsFile::OfLocalPaths()); },
        [this](UINT id) { PostMessage(WM_COMMAND, id, 0); });
}

CMainWnd::~CMainWnd()
{
    ReleaseClient();
    m_tray.Remove();
}

WindowHandle CMainWnd::Owner()
{
    return static_cast<WindowHandle>(GetNativeWindow());
}

bool CMainWnd::BindControls()
{
    if (!AllControlsPresent(m_pm))
        return false;
    m_tabOfMainWnd = m_pm.FindControlAs<CTabLayoutUI>(L"TabOfMainWnd");
    m_btnOfSetting = m_pm.FindControlAs<CButtonUI>(L"BtnOfSetting");
    ReportTextChanges(m_pm);
    return m_tabOfMainWnd && m_btnOfSetting && m_router->Bind(m_pm);
}

void CMainWnd::InitWindow()
{
    // File dropping is off: a drop would have no effect anyway.
    m_router = std::make_unique<PageRouter>(*this);
    m_bound = BindControls();
    if (!m_bound) {
        MessageBox(
            L"初始化界面控件句柄失败！", L"初始化错误", MessageBoxButtons::Ok, MessageBoxIcon::None, Owner());
        PostQuitMessage(0);
        return;
    }
    m_shadow.Create(*this);
    m_shadow.SetSize(6);
    m_shadow.SetPosition(0, 0);
    m_shadow.SetDarkness(50);
}

void CMainWnd::OnWindowInit()
{
    if (!m_bound || m_client)
        return;
    try {
        m_client = std::make_shared<ClientManager>(&GetMessageTarget());
    } catch (const std::bad_alloc&) {
        MessageBox(
            L"创建客户端管理器失败！", L"初始化错误", MessageBoxButtons::Ok, MessageBoxIcon::None, Owner());
        PostQuitMessage(0);
        return;
    }
    BeginWait();
    Start(RunStartupTask).Drop();
    Pages().sign.ApplyRememberedLogin();
    Pages().sign.FocusFirstField();
}

void CMainWnd::ReleaseClient()
{
    if (!m_client)
        return;
    // Senders blocked on the queue return at once; then no Send is inside
    // the window any more and the state may go (running tasks keep it).
    DestroyWindow();
    m_client->DetachWindow();
    m_client.reset();
}

TaskHandle CMainWnd::StartBody(std::unique_ptr<TaskBody> body)
{
    TaskHandle handle = StartTaskBody(m_client, std::move(body));
    // No result message will come to end the wait the caller entered.
    if (!handle)
        EndWait();
    return handle;
}

void CMainWnd::GenericFailure(const std::wstring& text)
{
    // A call cancelled by the sign-out (its text is empty) has nothing to
    // tell once the sign-out has begun.
    if (text.empty() && (m_signingOut || !m_loggedIn))
        return;
    if (text == kSessionExpiredText) {
        // The sign-out under way ended the session itself: tasks answered
        // meanwhile say nothing, the sign-out has its own page to go to.
        if (m_signingOut)
            return;
        MessageBox(L"请重新登陆！", L"错误", MessageBoxButtons::Ok, MessageBoxIcon::None, Owner());
        ShowMainWindowPage(kSignInPage);
        return;
    }
    MessageBox(text, L"错误", MessageBoxButtons::Ok, MessageBoxIcon::None, Owner());
}

void CMainWnd::Notify(TNotifyUI& msg)
{
    CControlUI* sender = msg.pSender;
    DebugLogW(L"%ls-%lu-%ls:%ls\n", sender ? sender->GetUserData().c_str() : L"",
        static_cast<unsigned long>(sender ? sender->GetTag() : 0), sender ? sender->GetName().c_str() : L"",
        msg.sType.c_str());
    if (msg.sType == DUI_MSGTYPE_WINDOWINIT) {
        OnWindowInit();
        return;
    }
    if (m_router->RouteNotify(msg))
        return;
    const std::wstring name = sender ? sender->GetName() : std::wstring();
    if (msg.sType == DUI_MSGTYPE_CLICK && name == L"BtnOfHelp") {
        OpenUrlOrShowAddress(ServicePageUrl(kHelpPagePath), Owner());
        return;
    }
    if (msg.sType == DUI_MSGTYPE_TIMER && msg.wParam == static_cast<WPARAM>(msg::kTimerMessagePoll))
        Notices().StartMessagePoll();
    if (msg.sType == DUI_MSGTYPE_LINK) {
        if (const auto* target = reinterpret_cast<const std::wstring*>(msg.lParam))
            OpenUrlOrShowAddress(ServicePageUrl(*target), Owner());
        return;
    }
    WindowImplBase::Notify(msg);
}

LRESULT CMainWnd::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    bHandled = TRUE;
    switch (uMsg) {
    case msg::UM_TRAYICON:
        OnTrayMessage(lParam, bHandled);
        return 0;
    case WM_COMMAND:
        OnCommand(static_cast<UINT>(wParam & 0xFFFF));
        return 0;
    case WM_DROPFILES:
        return 0;
    default:
        break;
    }
    if (!m_client || !m_router->RouteMessage(uMsg, wParam, lParam))
        bHandled = FALSE;
    return 0;
}

void CMainWnd::OnTrayMessage(LPARAM mouseMessage, BOOL& bHandled)
{
    switch (mouseMessage) {
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        ShowWindow(true);
        break;
    case WM_RBUTTONUP:
        ShowTrayMenu();
        break;
    default:
        bHandled = FALSE;
        break;
    }
}

void CMainWnd::OnCommand(UINT id)
{
    const SettingsFile settings = SettingsFile::OfLocalPaths();
    switch (HandleTrayCommand(id, settings)) {
    case TrayCommandResult::Toggled:
        Pages().mainTab.ShowSettings();
        return;
    case TrayCommandResult::QuitRequested:
        Close(msg::kCloseAsk);
        return;
    case TrayCommandResult::NotATrayItem:
        m_router->RouteCommand(id);
        return;
    }
}

void CMainWnd::ShowTrayMenu()
{
    const SettingsFile settings = SettingsFile::OfLocalPaths();
    if (IsWindowVisible())
        ActivateWindow();
    const UINT id = ShowPopupMenu(Owner(), TrayMenuItems(settings), std::nullopt, true);
    if (id != 0)
        PostMessage(WM_COMMAND, id, 0);
}

LRESULT CMainWnd::OnClose(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    // Handled means refused: the window stays.
    bHandled = MayClose(wParam) ? FALSE : TRUE;
    return 0;
}

bool CMainWnd::MayClose(WPARAM code)
{
    // A close request that comes while the sign-out waits for its logout is
    // refused; the first one is still being carried out.
    if (m_signingOut)
        return false;
    if (m_tabOfMainWnd && m_tabOfMainWnd->GetCurSel() == kSignInPage && !m_loggedIn)
        return true;
    if (code != msg::kCloseNoQuestion) {
        if (code != msg::kCloseAsk && SettingsFile::OfLocalPaths().HideInTrayOnClose()) {
            HideToTray();
            return false;
        }
        if (MessageBox(L"要退出么？", L"提示", MessageBoxButtons::OkCancel, MessageBoxIcon::Warning, Owner())
            != MessageBoxAnswer::Ok)
            return false;
    }
    SignOut();
    return true;
}

void CMainWnd::HideToTray()
{
    // Hidden without an icon to bring it back (no tray on this desktop, or
    // no login yet), the window could never be reached again.
    if (m_tray.IsAdded() && TrayIcon::IsTrayAvailable())
        ShowWindow(false);
    else
        Minimize();
}

void CMainWnd::SignOut()
{
    if (m_signingOut || !m_client)
        return;
    m_signingOut = true;
    if (CControlUI* root = m_pm.GetRoot())
        root->KillTimer(msg::kTimerMessagePoll);
    // Every transfer of the session ends now (loads, screenshots, the
    // catalogue), so nothing of it waits on a slow service; the pages stop
    // and wait for their tasks, so none writes the cookie file back once it
    // is deleted.
    CancelSessionTransfers();
    m_router->SigningOut();
    if (m_client->user.loginState != kLoginStateLoggedOut) {
        BeginWait();
        TaskHandle logout = Start(RequestLogout);
        // Messages keep being handled meanwhile, the logout's own among them.
        // A service that does not answer in time does not hold the sign-out:
        // the logout is aborted and reports its failure as usual.
        if (!logout.Wait(kLogoutWaitLimit)) {
            CancelSessionTransfers();
            logout.Wait();
        }
        logout.Drop();
        EndWait();
    }
    m_tray.Remove();
    DeleteStaleCookieFile(GetLocalPaths());
    m_loggedIn = false;
    ShowMainWindowPage(kSignInPage);
    m_router->SignedOut();
    m_signingOut = false;
}

void CMainWnd::SignIn()
{
    Pages().sign.SignIn();
}

void CMainWnd::OnLoggedIn()
{
    m_btnOfSetting->SetVisible(true);
    ShowMainWindowPage(kMainPage);
    if (m_loggedIn)
        return;
    m_tray.Add(WelcomeTrayLook());
    m_router->SignedIn();
    if (CControlUI* root = m_pm.GetRoot())
        root->SetTimer(msg::kTimerMessagePoll, msg::kMessagePollPeriodMs);
    m_loggedIn = true;
}

void CMainWnd::ShowSignIn()
{
    ShowMainWindowPage(kSignInPage);
    Pages().sign.ForgetPassword();
}

void CMainWnd::ShowDownload()
{
    ShowMainWindowPage(kDownloadPage);
}

void CMainWnd::ShowMainWindowPage(int page)
{
    if (m_tabOfMainWnd)
        m_tabOfMainWnd->SelectItem(page);
}
