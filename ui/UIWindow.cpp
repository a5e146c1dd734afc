#include "ui/UIWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/DebugLog.h"
#include "platform/UiMessageQueue.h"
#include "platform/Utf8.h"
#include "ui/UIAccessible.h"
#include "ui/UIButton.h"
#include "ui/UIEdit.h"
#include "ui/UILabel.h"
#include "ui/UIList.h"
#include "ui/internal/Attr.h"
#include "ui/internal/HostWidget.h"
#include "ui/internal/ManagerImpl.h"

namespace DuiLib {

namespace {

constexpr UINT kWmDestroy = 0x0002;

WindowImplBase::SkinFailureHandler& FailureHandler()
{
    static WindowImplBase::SkinFailureHandler handler = [] {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Duilib"), QStringLiteral("加载资源文件失败"),
                        QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
        box.exec();
        std::exit(1);
    };
    return handler;
}

POINT PointOf(const QPointF& p)
{
    return POINT{static_cast<int>(p.x()), static_cast<int>(p.y())};
}

int KeyOf(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return UIKEY_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return UIKEY_RETURN;
    case Qt::Key_Escape: return UIKEY_ESCAPE;
    case Qt::Key_Space: return UIKEY_SPACE;
    case Qt::Key_Up: return UIKEY_UP;
    case Qt::Key_Down: return UIKEY_DOWN;
    default: return UIKEY_OTHER;
    }
}

// Controls that keep their clicks inside the caption area.
bool IsInteractive(CControlUI* c)
{
    if (!c)
        return false;
    if (dynamic_cast<CButtonUI*>(c) || dynamic_cast<CEditUI*>(c) || dynamic_cast<IListItemUI*>(c) ||
        dynamic_cast<CListUI*>(c))
        return true;
    auto* text = dynamic_cast<CTextUI*>(c);
    return text && text->IsShowHtml();
}

}  // namespace

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

// ---------------------------------------------------------------- host widget

CHostWidget::CHostWidget(WindowImplBase* window, CPaintManagerUI* pm) : m_window(window), m_pm(pm)
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    InstallAccessibility();
}

void CHostWidget::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    QRect r = event->rect();
    m_pm->GetImpl().Paint(p, RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
}

void CHostWidget::resizeEvent(QResizeEvent*)
{
    m_pm->SetClientSize(width(), height());
    // A mask of the first size would leave the rest of a larger window unpainted.
    ApplyRoundCorners();
}

void CHostWidget::ApplyRoundCorners()
{
    SIZE round = m_pm->GetRoundCorner();
    if (round.cx <= 0 || round.cy <= 0)
        return;
    if (isMaximized() || isFullScreen()) {
        clearMask();
        return;
    }
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, width(), height()), round.cx / 2.0, round.cy / 2.0);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

bool CHostWidget::InCaption(POINT pt) const
{
    RECT cap = m_pm->GetCaptionRect();
    if (cap.bottom <= 0)
        return false;
    RECT area{cap.left, cap.top, cap.right > 0 ? width() - cap.right : width(), cap.bottom};
    if (!area.Contains(pt))
        return false;
    return !IsInteractive(m_pm->FindControl(pt));
}

Qt::Edges CHostWidget::EdgesAt(POINT pt) const
{
    RECT box = m_pm->GetSizeBox();
    Qt::Edges edges;
    if (isMaximized() || (box.left <= 0 && box.top <= 0 && box.right <= 0 && box.bottom <= 0))
        return edges;
    if (pt.x < box.left)
        edges |= Qt::LeftEdge;
    if (pt.x >= width() - box.right)
        edges |= Qt::RightEdge;
    if (pt.y < box.top)
        edges |= Qt::TopEdge;
    if (pt.y >= height() - box.bottom)
        edges |= Qt::BottomEdge;
    return edges;
}

bool CHostWidget::StartResize(POINT pt, const QPoint& globalPos)
{
    Qt::Edges edges = EdgesAt(pt);
    if (!edges)
        return false;
    if (windowHandle() && windowHandle()->startSystemResize(edges))
        return true;
    // No window manager to ask: the window follows the mouse itself.
    m_resizeEdges = edges;
    m_resizeStart = globalPos;
    m_resizeGeometry = geometry();
    return true;
}

void CHostWidget::ResizeTo(const QPoint& globalPos)
{
    const QPoint d = globalPos - m_resizeStart;
    QRect g = m_resizeGeometry;
    const QSize least = minimumSize().expandedTo(QSize(1, 1));
    const QSize most = maximumSize();
    if (m_resizeEdges & Qt::RightEdge)
        g.setWidth(std::clamp(m_resizeGeometry.width() + d.x(), least.width(), most.width()));
    if (m_resizeEdges & Qt::BottomEdge)
        g.setHeight(std::clamp(m_resizeGeometry.height() + d.y(), least.height(), most.height()));
    if (m_resizeEdges & Qt::LeftEdge) {
        const int w = std::clamp(m_resizeGeometry.width() - d.x(), least.width(), most.width());
        g.setLeft(m_resizeGeometry.right() + 1 - w);
    }
    if (m_resizeEdges & Qt::TopEdge) {
        const int h = std::clamp(m_resizeGeometry.height() - d.y(), least.height(), most.height());
        g.setTop(m_resizeGeometry.bottom() + 1 - h);
    }
    setGeometry(g);
}

void CHostWidget::mousePressEvent(QMouseEvent* event)
{
    POINT pt = PointOf(event->position());
    auto& impl = m_pm->GetImpl();
    if (impl.waitCursor)
        return;
    if (event->button() == Qt::LeftButton) {
        if (StartResize(pt, event->globalPosition().toPoint()))
            return;
        if (InCaption(pt) && !isMaximized()) {
            if (!(windowHandle() && windowHandle()->startSystemMove())) {
                m_dragging = true;
                m_dragOffset = event->globalPosition().toPoint() - pos();
            }
            impl.MouseMove(pt);
            return;
        }
    }
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        impl.MousePress(pt, event->button() == Qt::RightButton, false);
}

void CHostWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    POINT pt = PointOf(event->position());
    if (event->button() != Qt::LeftButton || InCaption(pt))
        return;
    m_pm->GetImpl().MousePress(pt, false, true);
}

void CHostWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_resizeEdges && event->button() == Qt::LeftButton) {
        m_resizeEdges = {};
        return;
    }
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        return;
    }
    m_pm->GetImpl().MouseRelease(PointOf(event->position()), event->button() == Qt::RightButton);
}

void CHostWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (m_resizeEdges) {
        ResizeTo(event->globalPosition().toPoint());
        return;
    }
    if (m_dragging) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        return;
    }
    m_pm->GetImpl().MouseMove(PointOf(event->position()));
}

void CHostWidget::wheelEvent(QWheelEvent* event)
{
    m_pm->GetImpl().Wheel(PointOf(event->position()), event->angleDelta().y());
}

void CHostWidget::keyPressEvent(QKeyEvent* event)
{
    int key = KeyOf(event->key());
    if ((key == UIKEY_RETURN || key == UIKEY_ESCAPE) && m_window->ResponseDefaultKeyEvent(key))
        return;
    bool shift = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
    if (!m_pm->GetImpl().Key(key, shift, event->modifiers() & Qt::ControlModifier))
        QWidget::keyPressEvent(event);
}

void CHostWidget::leaveEvent(QEvent*)
{
    m_pm->GetImpl().MouseLeave();
}

void CHostWidget::showEvent(QShowEvent*)
{
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    QPointer<CHostWidget> self(this);
    QTimer::singleShot(0, this, [self] {
        if (self)
            self->m_window->SendWindowInit();
    });
}

void CHostWidget::closeEvent(QCloseEvent* event)
{
    // The window system asks: that is a close request like any other.
    event->ignore();
    m_window->Close(0);
}

void CHostWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        ApplyRoundCorners();
        bool max = isMaximized();
        if (CControlUI* b = m_pm->FindControl(L"maxbtn"))
            b->SetVisible(!max);
        if (CControlUI* b = m_pm->FindControl(L"restorebtn"))
            b->SetVisible(max);
    }
    QWidget::changeEvent(event);
}

bool CHostWidget::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        CControlUI* c = m_pm->FindControl(POINT{help->pos().x(), help->pos().y()});
        while (c && c->GetToolTip().empty())
            c = c->GetParent();
        if (c && !m_pm->IsWaitCursor())
            QToolTip::showText(help->globalPos(), QString::fromStdWString(c->GetToolTip()), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

bool CHostWidget::focusNextPrevChild(bool)
{
    return false;  // Tab belongs to the control tree
}

// ---------------------------------------------------------------- window

WindowImplBase::WindowImplBase() : d(std::make_unique<Impl>())
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
    case WM_CLOSE: result = OnClose(uMsg, wParam, lParam, handled); break;
    case kWmDestroy: result = OnDestroy(uMsg, wParam, lParam, handled); break;
    default: handled = FALSE; break;
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
    case UILIB_RESOURCE: break;
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
        size = {cx, cy};
    if (size.cx <= 0 || size.cy <= 0)
        size = {640, 480};
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
    d->host->move(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2);
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
    return RECT{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
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

}  // namespace DuiLib
