#include "ui/UIControl.h"

#include <algorithm>
#include <unordered_map>

#include "ui/UIManager.h"
#include "ui/internal/Attr.h"
#include "ui/internal/ManagerImpl.h"
#include "ui/internal/Render.h"

namespace DuiLib {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI()
{
    if (m_pManager) {
        m_pManager->ReapObjects(this);
        m_pManager = nullptr;
    }
}

std::wstring CControlUI::GetClass() const
{
    return L"ControlUI";
}

void CControlUI::SetName(const std::wstring& name)
{
    if (name == m_sName)
        return;
    if (m_pManager) {
        auto& names = m_pManager->GetImpl().names;
        auto it = names.find(m_sName);
        if (it != names.end() && it->second == this)
            names.erase(it);
    }
    m_sName = name;
    if (m_pManager)
        m_pManager->InitControl(this);
}

std::wstring CControlUI::GetText() const
{
    return m_sText;
}

void CControlUI::SetText(const std::wstring& text)
{
    if (text == m_sText)
        return;
    m_sText = text;
    Invalidate();
}

void CControlUI::SetVisible(bool visible)
{
    if (m_bVisible == visible)
        return;
    if (!visible && m_pManager) {
        // The focus must not stay on something that cannot be seen.
        CControlUI* focus = m_pManager->GetFocus();
        for (CControlUI* c = focus; c; c = c->GetParent()) {
            if (c == this) {
                m_pManager->SetFocus(nullptr);
                break;
            }
        }
    }
    m_bVisible = visible;
    Invalidate();
    NeedParentUpdate();
}

bool CControlUI::IsVisibleInTree() const
{
    for (const CControlUI* c = this; c; c = c->GetParent())
        if (!c->IsVisible())
            return false;
    return true;
}

void CControlUI::SetEnabled(bool enabled)
{
    if (m_bEnabled == enabled)
        return;
    m_bEnabled = enabled;
    if (!enabled && m_pManager && m_pManager->GetFocus() == this)
        m_pManager->SetFocus(nullptr);
    Invalidate();
}

void CControlUI::SetFocus()
{
    if (m_pManager)
        m_pManager->SetFocus(this);
}

void CControlUI::SetBkImage(const std::wstring& image)
{
    if (image == m_sBkImage)
        return;
    m_sBkImage = image;
    Invalidate();
}

void CControlUI::SetForeImage(const std::wstring& image)
{
    if (image == m_sForeImage)
        return;
    m_sForeImage = image;
    Invalidate();
}

void CControlUI::SetDisabledImage(const std::wstring& image)
{
    if (image == m_sDisabledImage)
        return;
    m_sDisabledImage = image;
    Invalidate();
}

void CControlUI::SetBkColor(std::uint32_t argb)
{
    m_dwBkColor = argb;
    Invalidate();
}

void CControlUI::SetBorderColor(std::uint32_t argb)
{
    m_dwBorderColor = argb;
    Invalidate();
}

void CControlUI::SetBorderSize(int size)
{
    m_nBorderSize = std::max(0, size);
    Invalidate();
}

void CControlUI::SetFont(int id)
{
    m_iFont = id;
    Invalidate();
}

void CControlUI::SetTextColor(std::uint32_t argb)
{
    m_dwTextColor = argb;
    Invalidate();
}

void CControlUI::SetTextStyle(unsigned style)
{
    m_uTextStyle = style;
    Invalidate();
}

void CControlUI::SetShowHtml(bool on)
{
    m_bShowHtml = on;
    Invalidate();
}

void CControlUI::SetPos(const RECT& rc)
{
    RECT r = rc;
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
    if (!(r == m_rcItem)) {
        Invalidate();
        m_rcItem = r;
        Invalidate();
    }
    m_bUpdateNeeded = false;
    m_bSubtreeUpdateNeeded = false;
}

void CControlUI::Move(int dx, int dy)
{
    m_rcItem.Offset(dx, dy);
}

void CControlUI::SetPadding(const RECT& rc)
{
    m_rcPadding = rc;
    NeedParentUpdate();
}

void CControlUI::SetFloat(bool on)
{
    if (m_bFloat == on)
        return;
    m_bFloat = on;
    NeedParentUpdate();
}

void CControlUI::SetFloatPos(const RECT& rc)
{
    m_rcFloat = rc;
    if (rc.right > rc.left)
        m_cxyFixed.cx = rc.right - rc.left;
    if (rc.bottom > rc.top)
        m_cxyFixed.cy = rc.bottom - rc.top;
    NeedParentUpdate();
}

void CControlUI::SetFixedWidth(int cx)
{
    if (cx < 0 || cx == m_cxyFixed.cx)
        return;
    m_cxyFixed.cx = cx;
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int cy)
{
    if (cy < 0 || cy == m_cxyFixed.cy)
        return;
    m_cxyFixed.cy = cy;
    NeedParentUpdate();
}

void CControlUI::SetMinWidth(int cx)
{
    if (cx < 0)
        return;
    m_cxyMin.cx = cx;
    NeedParentUpdate();
}

void CControlUI::SetMaxWidth(int cx)
{
    if (cx < 0)
        return;
    m_cxyMax.cx = cx;
    NeedParentUpdate();
}

void CControlUI::SetMinHeight(int cy)
{
    if (cy < 0)
        return;
    m_cxyMin.cy = cy;
    NeedParentUpdate();
}

void CControlUI::SetMaxHeight(int cy)
{
    if (cy < 0)
        return;
    m_cxyMax.cy = cy;
    NeedParentUpdate();
}

SIZE CControlUI::EstimateSize(SIZE)
{
    return m_cxyFixed;
}

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init)
{
    if (m_pManager && m_pManager != manager)
        m_pManager->ReapObjects(this);
    m_pManager = manager;
    m_pParent = parent;
    if (m_pManager && init)
        m_pManager->InitControl(this);
}

CControlUI* CControlUI::FindSubControl(const std::wstring& name)
{
    return FindInSubtree(name);
}

CControlUI* CControlUI::FindInSubtree(const std::wstring& name)
{
    return name == m_sName ? this : nullptr;
}

CControlUI* CControlUI::FindControlAt(POINT pt)
{
    if (!m_bVisible || !m_bMouseEnabled || !m_rcItem.Contains(pt))
        return nullptr;
    return this;
}

void CControlUI::ForEach(const std::function<void(CControlUI*)>& fn)
{
    fn(this);
}

bool CControlUI::SetTimer(unsigned id, unsigned elapseMs)
{
    return m_pManager && m_pManager->SetTimer(this, id, elapseMs);
}

void CControlUI::KillTimer(unsigned id)
{
    if (m_pManager)
        m_pManager->KillTimer(this, id);
}

void CControlUI::KillTimers()
{
    if (m_pManager)
        m_pManager->KillTimer(this);
}

void CControlUI::Invalidate()
{
    // A control on a hidden page (a tab not shown) keeps its last rectangle,
    // which what is shown now covers: repainting it would redraw that instead.
    if (m_pManager && IsVisibleInTree())
        m_pManager->Invalidate(m_rcItem);
}

void CControlUI::NeedUpdate()
{
    m_bUpdateNeeded = true;
    // The ancestors learn that something below them waits for a layout, so
    // the next paint finds it without walking the whole tree.
    for (CControlUI* p = m_pParent; p && !p->m_bSubtreeUpdateNeeded; p = p->m_pParent)
        p->m_bSubtreeUpdateNeeded = true;
    if (m_pManager)
        m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate()
{
    if (m_pParent)
        m_pParent->NeedUpdate();
    else
        NeedUpdate();
}

bool CControlUI::Activate()
{
    return m_bVisible && m_bEnabled;
}

void CControlUI::DoEvent(TEventUI& event)
{
    switch (event.Type) {
    case UIEVENT_SCROLLWHEEL:
        if (m_pParent)
            m_pParent->DoEvent(event);
        break;
    case UIEVENT_SETFOCUS:
        m_bFocused = true;
        Invalidate();
        break;
    case UIEVENT_KILLFOCUS:
        m_bFocused = false;
        Invalidate();
        break;
    default:
        break;
    }
}

void CControlUI::DoPaint(CRenderContext& ctx, const RECT& rcPaint)
{
    if (!m_rcItem.Intersects(rcPaint))
        return;
    QPainter& p = ctx.painter;
    p.save();
    p.setClipRect(render::ToQRect(m_rcItem.Intersected(rcPaint)), Qt::IntersectClip);
    PaintBkColor(ctx);
    PaintBkImage(ctx);
    PaintStatusImage(ctx);
    PaintText(ctx);
    PaintBorder(ctx);
    p.restore();
}

void CControlUI::PaintBkColor(CRenderContext& ctx)
{
    if (m_dwBkColor == 0)
        return;
    if (m_dwBkColor2 != 0)
        render::FillGradient(ctx.painter, m_rcItem, m_dwBkColor, m_dwBkColor2);
    else
        render::FillRect(ctx.painter, m_rcItem, m_dwBkColor, m_cxyBorderRound);
}

void CControlUI::PaintBkImage(CRenderContext& ctx)
{
    DrawImage(ctx, m_sBkImage);
}

void CControlUI::PaintStatusImage(CRenderContext& ctx)
{
    if (!m_bEnabled && !m_sDisabledImage.empty())
        DrawImage(ctx, m_sDisabledImage);
    DrawImage(ctx, m_sForeImage);
}

void CControlUI::PaintText(CRenderContext&) { }

void CControlUI::PaintBorder(CRenderContext& ctx)
{
    std::uint32_t color = (m_bFocused && m_dwFocusBorderColor) ? m_dwFocusBorderColor : m_dwBorderColor;
    if (m_nBorderSize > 0 && color != 0)
        render::DrawBorder(ctx.painter, m_rcItem, m_nBorderSize, color, m_cxyBorderRound);
}

bool CControlUI::DrawImage(CRenderContext& ctx, const std::wstring& image)
{
    if (image.empty())
        return false;
    return render::DrawImage(ctx.painter, ctx.manager, m_rcItem, image);
}

RECT CControlUI::TextRect() const
{
    RECT rc = m_rcItem;
    rc.left += m_rcTextPadding.left;
    rc.top += m_rcTextPadding.top;
    rc.right -= m_rcTextPadding.right;
    rc.bottom -= m_rcTextPadding.bottom;
    return rc;
}

} // namespace DuiLib
