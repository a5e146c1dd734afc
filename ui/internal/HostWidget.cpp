#include "ui/internal/HostWidget.h"

#include <QCloseEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>

#include "ui/UIAccessible.h"
#include "ui/UIButton.h"
#include "ui/UIEdit.h"
#include "ui/UILabel.h"
#include "ui/UIList.h"
#include "ui/UIText.h"
#include "ui/UIWindow.h"
#include "ui/internal/ManagerImpl.h"

namespace DuiLib {

namespace {

    POINT PointOf(const QPointF& p)
    {
        return POINT { static_cast<int>(p.x()), static_cast<int>(p.y()) };
    }

    int KeyOf(int qtKey)
    {
        switch (qtKey) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return UIKEY_TAB;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return UIKEY_RETURN;
        case Qt::Key_Escape:
            return UIKEY_ESCAPE;
        case Qt::Key_Space:
            return UIKEY_SPACE;
        case Qt::Key_Up:
            return UIKEY_UP;
        case Qt::Key_Down:
            return UIKEY_DOWN;
        default:
            return UIKEY_OTHER;
        }
    }

    // Controls that keep their clicks inside the caption area.
    bool IsInteractive(CControlUI* c)
    {
        if (!c)
            return false;
        if (dynamic_cast<CButtonUI*>(c) || dynamic_cast<CEditUI*>(c) || dynamic_cast<IListItemUI*>(c)
            || dynamic_cast<CListUI*>(c))
            return true;
        auto* text = dynamic_cast<CTextUI*>(c);
        return text && text->IsShowHtml();
    }

} // namespace

CHostWidget::CHostWidget(WindowImplBase* window, CPaintManagerUI* pm)
    : m_window(window)
    , m_pm(pm)
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
    // The screen gets this area now: the pacer learns what it need not ask again.
    m_pm->GetImpl().frames.Painting(r);
    m_pm->GetImpl().Paint(p, RECT { r.left(), r.top(), r.left() + r.width(), r.top() + r.height() }, true);
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
    RECT area { cap.left, cap.top, cap.right > 0 ? width() - cap.right : width(), cap.bottom };
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
        CControlUI* c = m_pm->FindControl(POINT { help->pos().x(), help->pos().y() });
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
    return false; // Tab belongs to the control tree
}

} // namespace DuiLib
