#include "ui/UIWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QWindow>

#include <cstdlib>
#include <filesystem>

#include "platform/DebugLog.h"
#include "platform/UiMessageQueue.h"
#include "platform/Utf8.h"
#include "ui/UIDialogBuilder.h"
#include "ui/UIDispatchScope.h"
#include "ui/internal/Attr.h"
#include "ui/internal/HostWidget.h"
#include "ui/internal/ManagerImpl.h"

namespace DuiLib {

namespace {

    constexpr UINT kWmDestroy = 0x0002;

    WindowImplBase::SkinFailureHandler& FailureHandler()
    {
        static WindowImplBase::SkinFailureHandler handler = [] {
            QMessageBox box(QMessageBox::Critical, QStringLiteral("Duilib"),
                QStringLiteral("加载资源文件失败"), QMessageBox::Ok);
            box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
            box.exec();
            std::exit(1);
        };
        return handler;
    }

} // namespace

struct WindowImplBase::Impl {
    UiMessageQueue queue;
    QPointer<CHostWidget> host;
    std::unique_ptr<CHostWidget> ownedHost;
    QPointer<QEventLoop> loop;
    bool created = false;
    bool destroyed = false;
    bool initSent = false;
    UINT exitCode = 0;
};

// ---------------------------------------------------------------- window

WindowImplBase::WindowImplBase()
    : d(std::make_unique<Impl>())
{
    d->queue.SetHandler([this](UINT msg, WPARAM w, LPARAM l) { return Route(msg, w, l); });
}

WindowImplBase::~WindowImplBase()
{
    d->queue.Detach();
    m_pm.RemoveNotifier(this);
    if (d->loop)
        d->loop->exit(0);
    // The tree goes before the widget its editors live in.
    m_pm.AttachDialog(nullptr);
    d->ownedHost.reset();
}

void WindowImplBase::SetSkinFailureHandler(SkinFailureHandler handler)
{
    FailureHandler() = std::move(handler);
}

LRESULT WindowImplBase::Route(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_QUIT) {
        d->exitCode = static_cast<UINT>(wParam);
        if (d->loop)
            d->loop->exit(0);
        return 0;
    }
    CDispatchScope scope(&m_pm);
    return HandleMessage(msg, wParam, lParam);
}

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    BOOL handled = TRUE;
    LRESULT result = 0;
    switch (uMsg) {
    case WM_CLOSE:
        result = OnClose(uMsg, wParam, lParam, handled);
        break;
    case kWmDestroy:
        result = OnDestroy(uMsg, wParam, lParam, handled);
        break;
    default:
        handled = FALSE;
        break;
    }
    if (handled)
        return result;
    result = HandleCustomMessage(uMsg, wParam, lParam, handled);
    if (handled)
        return result;
    if (uMsg == WM_CLOSE) {
        d->exitCode = static_cast<UINT>(wParam);
        DestroyWindow();
    }
    return 0;
}

void WindowImplBase::OnClick(TNotifyUI& msg)
{
    const std::wstring& name = msg.pSender ? msg.pSender->GetName() : std::wstring();
    if (name == L"closebtn")
        Close(1);
    else if (name == L"minbtn")
        Minimize();
    else if (name == L"maxbtn")
        Maximize();
    else if (name == L"restorebtn")
        Restore();
}

bool WindowImplBase::ResponseDefaultKeyEvent(WPARAM)
{
    return false;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

void WindowImplBase::Notify(TNotifyUI& msg)
{
    if (msg.sType == DUI_MSGTYPE_CLICK)
        OnClick(msg);
}

std::unique_ptr<CControlUI> WindowImplBase::CreateControl(const std::wstring&)
{
    return nullptr;
}

bool WindowImplBase::Create(WindowImplBase* parent, const std::wstring& title, std::uint32_t, std::uint32_t,
    int x, int y, int cx, int cy)
{
    if (d->created)
        return true;
    switch (GetResourceType()) {
    case UILIB_ZIPRESOURCE:
        if (!CPaintManagerUI::UseZipResource(GetResourceID()) && !CPaintManagerUI::HasResourceSource())
            DebugLogA("DuiLib: no skin package registered as resource %d\n", GetResourceID());
        break;
    case UILIB_ZIP: {
        std::filesystem::path zip(Utf8OfWide(CPaintManagerUI::GetResourcePath()));
        CPaintManagerUI::SetResourceZipFile(attr::FromUtf8((zip / Utf8OfWide(GetZIPFileName())).string()));
        break;
    }
    case UILIB_FILE: {
        std::wstring folder = GetSkinFolder();
        if (!folder.empty()) {
            std::filesystem::path base(Utf8OfWide(CPaintManagerUI::GetResourcePath()));
            CPaintManagerUI::SetResourcePath(attr::FromUtf8((base / Utf8OfWide(folder)).string()));
        }
        break;
    }
    case UILIB_RESOURCE:
        break;
    }

    d->ownedHost = std::make_unique<CHostWidget>(this, &m_pm);
    d->host = d->ownedHost.get();
    d->host->setWindowTitle(QString::fromStdWString(title));
    m_pm.GetImpl().host = d->host.data();

    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root = builder.Create(GetSkinFile(), &m_pm, this);
    if (!root) {
        DebugLogA("DuiLib: the skin cannot be loaded: %s\n", builder.GetLastError().c_str());
        m_pm.GetImpl().host = nullptr;
        d->ownedHost.reset();
        if (FailureHandler())
            FailureHandler()();
        return false;
    }
    m_pm.AttachDialog(std::move(root));
    m_pm.AddNotifier(this);

    SIZE size = m_pm.GetInitSize();
    if (cx > 0 && cy > 0)
        size = { cx, cy };
    if (size.cx <= 0 || size.cy <= 0)
        size = { 640, 480 };
    SIZE minInfo = m_pm.GetMinInfo();
    if (minInfo.cx > 0 || minInfo.cy > 0)
        d->host->setMinimumSize(minInfo.cx, minInfo.cy);
    SIZE maxInfo = m_pm.GetMaxInfo();
    if (maxInfo.cx > 0 && maxInfo.cy > 0)
        d->host->setMaximumSize(maxInfo.cx, maxInfo.cy);
    d->host->resize(size.cx, size.cy);
    m_pm.SetClientSize(size.cx, size.cy);
    if (x >= 0 && y >= 0)
        d->host->move(x, y);
    d->host->ApplyRoundCorners();
    d->created = true;
    CDispatchScope scope(&m_pm);
    InitWindow();
    return true;
}

bool WindowImplBase::IsCreated() const
{
    return d->created && !d->destroyed;
}

bool WindowImplBase::IsDestroyed() const
{
    return d->destroyed;
}

void WindowImplBase::SendWindowInit()
{
    if (d->initSent || d->destroyed || !m_pm.GetRoot())
        return;
    d->initSent = true;
    m_pm.UpdateLayout();
    m_pm.SendNotify(m_pm.GetRoot(), DUI_MSGTYPE_WINDOWINIT);
}

void WindowImplBase::CenterWindow()
{
    if (!d->host)
        return;
    QWidget* parent = d->host->parentWidget();
    QRect area;
    if (parent && parent->isVisible())
        area = parent->frameGeometry();
    else if (QScreen* s = d->host->screen() ? d->host->screen() : QGuiApplication::primaryScreen())
        area = s->availableGeometry();
    else
        return;
    QSize size = d->host->size();
    d->host->move(
        area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2);
}

UINT WindowImplBase::ShowModal()
{
    if (!d->created || d->destroyed)
        return d->exitCode;
    ShowWindow(true);
    QEventLoop loop;
    d->loop = &loop;
    loop.exec();
    d->loop = nullptr;
    return d->exitCode;
}

void WindowImplBase::ShowWindow(bool show, bool takeFocus)
{
    if (!d->host || d->destroyed)
        return;
    if (!show) {
        d->host->hide();
        return;
    }
    if (d->host->isMinimized())
        d->host->showNormal();
    else
        d->host->show();
    if (takeFocus)
        ActivateWindow();
}

bool WindowImplBase::IsWindowVisible() const
{
    return d->host && d->host->isVisible() && !d->destroyed;
}

void WindowImplBase::Minimize()
{
    if (d->host)
        d->host->showMinimized();
}

void WindowImplBase::Maximize()
{
    if (d->host)
        d->host->showMaximized();
}

void WindowImplBase::Restore()
{
    if (d->host)
        d->host->showNormal();
}

bool WindowImplBase::IsMaximized() const
{
    return d->host && d->host->isMaximized();
}

bool WindowImplBase::IsMinimized() const
{
    return d->host && d->host->isMinimized();
}

void WindowImplBase::Close(UINT code)
{
    PostMessage(WM_CLOSE, code, 0);
}

void WindowImplBase::DestroyWindow()
{
    if (d->destroyed || !d->created)
        return;
    d->destroyed = true;
    BOOL handled = TRUE;
    OnDestroy(kWmDestroy, 0, 0, handled);
    // As with a window that is gone: senders get 0 at once, posts are dropped.
    d->queue.Detach();
    m_pm.EndWaitCursor();
    if (d->host)
        d->host->hide();
    if (d->loop)
        d->loop->exit(0);
    OnFinalMessage();
}

void WindowImplBase::PostQuitMessage(int code)
{
    PostMessage(WM_QUIT, static_cast<WPARAM>(code), 0);
}

void WindowImplBase::SetWindowTitle(const std::wstring& title)
{
    if (d->host)
        d->host->setWindowTitle(QString::fromStdWString(title));
}

std::wstring WindowImplBase::GetWindowTitle() const
{
    return d->host ? d->host->windowTitle().toStdWString() : std::wstring();
}

RECT WindowImplBase::GetWindowRect() const
{
    if (!d->host)
        return {};
    QRect g = d->host->geometry();
    return RECT { g.left(), g.top(), g.left() + g.width(), g.top() + g.height() };
}

void WindowImplBase::MoveWindow(int x, int y)
{
    if (d->host)
        d->host->move(x, y);
}

void WindowImplBase::ResizeClient(int cx, int cy)
{
    if (d->host && cx > 0 && cy > 0)
        d->host->resize(cx, cy);
}

void WindowImplBase::ActivateWindow()
{
    if (!d->host)
        return;
    d->host->raise();
    d->host->activateWindow();
    d->host->setFocus(Qt::ActiveWindowFocusReason);
}

IMessageTarget& WindowImplBase::GetMessageTarget()
{
    return d->queue;
}

LRESULT WindowImplBase::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return d->queue.Send(msg, wParam, lParam);
}

void WindowImplBase::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    d->queue.Post(msg, wParam, lParam);
}

void* WindowImplBase::GetNativeWindow() const
{
    return d->host.data();
}

} // namespace DuiLib
