#include "app/window/CMainWnd.h"

#include <chrono>
#include <new>

#include "account/Login.h"
#include "account/SignPage.h"
#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/MessageText.h"
#include "app/Messages.h"
#include "app/ServiceLinks.h"
#include "app/SettingsFile.h"
#include "app/Startup.h"
#include "app/StartupTask.h"
#include "app/TrayMenu.h"
#include "app/actions/NotifyActions.h"
#include "app/window/BoundControls.h"
#include "app/window/MainTabPage.h"
#include "net/CancelToken.h"
#include "net/ServiceCall.h"
#include "platform/Browser.h"
#include "platform/DebugLog.h"
#include "platform/MessageBox.h"
#include "platform/PopupMenu.h"
#include "ui/UIButton.h"
#include "ui/UILayout.h"

using namespace DuiLib;

namespace {

// The pages of TabOfMainWnd.
constexpr int kSignInPage = 0;
constexpr int kMainPage = 1;
constexpr int kDownloadPage = 2;
// How long the sign-out gives the logout call before aborting it.
constexpr std::chrono::milliseconds kLogoutWaitLimit {700};

}  // namespace

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

// ---------------------------------------------------------------- set-up

void CMainWnd::CreatePageSet()
{
    m_pages = CreatePages(*this);
    for (const std::unique_ptr<IPage>& page : m_pages->pages) {
        for (const std::wstring& route : page->Routes())
            m_routes.emplace_back(route, page.get());
        for (UINT id : page->Messages())
            m_messageRoutes[id].push_back(page.get());
    }
}

bool CMainWnd::BindControls()
{
    for (const std::wstring& name : MissingControls(m_pm))
        DebugLogW(L"control %ls is missing from the skin\n", name.c_str());
    if (!MissingControls(m_pm).empty())
        return false;
    m_tabOfMainWnd = m_pm.FindControlAs<CTabLayoutUI>(L"TabOfMainWnd");
    m_btnOfSetting = m_pm.FindControlAs<CButtonUI>(L"BtnOfSetting");
    if (!m_tabOfMainWnd || !m_btnOfSetting)
        return false;
    ReportTextChanges(m_pm);
    for (const std::unique_ptr<IPage>& page : m_pages->pages) {
        if (!page->Bind(m_pm))
            return false;
    }
    return true;
}

void CMainWnd::InitWindow()
{
    // File dropping is off: a drop would have no effect anyway.
    CreatePageSet();
    m_bound = BindControls();
    if (!m_bound) {
        MessageBox(L"初始化界面控件句柄失败！", L"初始化错误", MessageBoxButtons::Ok, MessageBoxIcon::None, Owner());
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
        MessageBox(L"创建客户端管理器失败！", L"初始化错误", MessageBoxButtons::Ok, MessageBoxIcon::None, Owner());
        PostQuitMessage(0);
        return;
    }
    BeginWait();
    Start(RunStartupTask).Drop();
    m_pages->sign.ApplyRememberedLogin();
    m_pages->sign.FocusFirstField();
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

// ---------------------------------------------------------------- tasks

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

// ---------------------------------------------------------------- notifications

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
    if (RouteNotify(msg))
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

bool CMainWnd::RouteNotify(TNotifyUI& msg)
{
    if (!msg.pSender)
        return false;
    const std::wstring route = msg.pSender->GetUserData();
    if (route.empty())
        return false;
    for (const auto& [name, page] : m_routes) {
        if (name == route && page->OnNotify(msg))
            return true;
    }
    return false;
}

bool CMainWnd::RouteMessage(UINT id, WPARAM wParam, LPARAM lParam)
{
    auto it = m_messageRoutes.find(id);
    if (it == m_messageRoutes.end())
        return false;
    for (IPage* page : it->second) {
        if (page->OnMessage(id, wParam, lParam))
            return true;
    }
    return false;
}

// ---------------------------------------------------------------- messages

LRESULT CMainWnd::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    bHandled = TRUE;
    switch (uMsg) {
    case msg::UM_STARTUP:
        // The update's download page takes its own reports.
        if (!RouteMessage(uMsg, wParam, lParam))
            OnStartupMessage(wParam, lParam);
        return 0;
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
    if (!m_client || !RouteMessage(uMsg, wParam, lParam))
        bHandled = FALSE;
    return 0;
}

void CMainWnd::OnStartupMessage(WPARAM code, LPARAM lParam)
{
    // "No update" is not the start-up task's last word: the wait it began
    // ends with its final report, so no click slips in between.
    if (code != msg::kUpdateNone)
        EndWait();
    switch (code) {
    case msg::kStartupReady:
    case msg::kUpdateNone:
        break;
    case msg::kStartupDatabaseFailed:
    case msg::kUpdateHandedOff:
        PostQuitMessage(0);
        break;
    default:
        MessageBox(MessageText(lParam), L"错误", MessageBoxButtons::Ok, MessageBoxIcon::None, Owner());
        break;
    }
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
        m_pages->mainTab.ShowSettings();
        return;
    case TrayCommandResult::QuitRequested:
        Close(msg::kCloseAsk);
        return;
    case TrayCommandResult::NotATrayItem:
        break;
    }
    for (const std::unique_ptr<IPage>& page : m_pages->pages) {
        if (page->OnCommand(id))
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

// ---------------------------------------------------------------- closing

LRESULT CMainWnd::OnClose(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    // A close request that comes while the sign-out waits for its logout is
    // refused; the first one is still being carried out.
    if (m_signingOut) {
        bHandled = TRUE;
        return 0;
    }
    if (m_tabOfMainWnd && m_tabOfMainWnd->GetCurSel() == kSignInPage && !m_loggedIn) {
        bHandled = FALSE;
        return 0;
    }
    if (wParam == msg::kCloseNoQuestion) {
        SignOut();
        bHandled = FALSE;
        return 0;
    }
    if (wParam != msg::kCloseAsk && SettingsFile::OfLocalPaths().HideInTrayOnClose()) {
        HideToTray();
        bHandled = TRUE;
        return 0;
    }
    if (MessageBox(L"要退出么？", L"提示", MessageBoxButtons::OkCancel, MessageBoxIcon::Warning, Owner()) !=
        MessageBoxAnswer::Ok) {
        bHandled = TRUE;
        return 0;
    }
    SignOut();
    bHandled = FALSE;
    return 0;
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
    for (const std::unique_ptr<IPage>& page : m_pages->pages)
        page->OnSigningOut();
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
    for (const std::unique_ptr<IPage>& page : m_pages->pages)
        page->OnSignedOut();
    m_signingOut = false;
}

// ---------------------------------------------------------------- login

void CMainWnd::SignIn()
{
    m_pages->sign.SignIn();
}

void CMainWnd::OnLoggedIn()
{
    m_btnOfSetting->SetVisible(true);
    ShowMainWindowPage(kMainPage);
    if (m_loggedIn)
        return;
    AddTrayIcon();
    for (const std::unique_ptr<IPage>& page : m_pages->pages)
        page->OnSignedIn();
    if (CControlUI* root = m_pm.GetRoot())
        root->SetTimer(msg::kTimerMessagePoll, msg::kMessagePollPeriodMs);
    m_loggedIn = true;
}

void CMainWnd::AddTrayIcon()
{
    TrayIconLook look;
    look.tip = L"Korvana云手机";
    look.balloonTitle = L"提示";
    look.balloonText = L"欢迎使用！";
    look.balloonMs = 1000;
    CPaintManagerUI::ReadResourceFile(L"img/icon/korvana_32.png", look.iconImage);
    m_tray.Add(look);
}

void CMainWnd::ShowSignIn()
{
    ShowMainWindowPage(kSignInPage);
    m_pages->sign.ForgetPassword();
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
