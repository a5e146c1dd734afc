// The container's scroll bar: the scroll position and its steps, the bar's
// place, and its paint.
#include "ui/UIContainer.h"

#include <algorithm>

#include "ui/UIManager.h"
#include "ui/internal/ManagerImpl.h"
#include "ui/internal/Render.h"

namespace DuiLib {

namespace {

    constexpr int kLineStep = 40;

    const ScrollBarStyle& StyleOf(CPaintManagerUI* pm)
    {
        static const ScrollBarStyle plain;
        return pm ? pm->GetImpl().ScrollStyle() : plain;
    }

} // namespace

void CContainerUI::EnableScrollBar(bool vertical, bool horizontal)
{
    m_bVScrollEnabled = vertical;
    m_bHScrollEnabled = horizontal;
    if (!vertical)
        m_scrollY = 0;
    if (!horizontal)
        m_scrollX = 0;
    NeedUpdate();
}

void CContainerUI::SetScrollPos(SIZE pos)
{
    int x = std::clamp(pos.cx, 0, std::max(0, m_rangeX));
    int y = std::clamp(pos.cy, 0, std::max(0, m_rangeY));
    int dx = x - m_scrollX;
    int dy = y - m_scrollY;
    if (dx == 0 && dy == 0)
        return;
    m_scrollX = x;
    m_scrollY = y;
    for (auto& item : m_items)
        if (!item->IsFloat())
            item->Move(-dx, -dy);
    Invalidate();
}

void CContainerUI::LineUp()
{
    SetScrollPos({ m_scrollX, m_scrollY - kLineStep });
}

void CContainerUI::LineDown()
{
    SetScrollPos({ m_scrollX, m_scrollY + kLineStep });
}

void CContainerUI::PageUp()
{
    SetScrollPos({ m_scrollX, m_scrollY - std::max(kLineStep, ContentRect().Height() - kLineStep) });
}

void CContainerUI::PageDown()
{
    SetScrollPos({ m_scrollX, m_scrollY + std::max(kLineStep, ContentRect().Height() - kLineStep) });
}

void CContainerUI::HomeUp()
{
    SetScrollPos({ m_scrollX, 0 });
}

void CContainerUI::EndDown()
{
    SetScrollPos({ m_scrollX, m_rangeY });
}

void CContainerUI::EnsureVisible(CControlUI* child)
{
    if (!child)
        return;
    RECT content = ContentRect();
    const RECT& rc = child->GetPos();
    if (rc.top < content.top)
        SetScrollPos({ m_scrollX, m_scrollY - (content.top - rc.top) });
    else if (rc.bottom > content.bottom)
        SetScrollPos({ m_scrollX, m_scrollY + (rc.bottom - content.bottom) });
}

int CContainerUI::ScrollBarWidth() const
{
    return StyleOf(m_pManager).width;
}

bool CContainerUI::ProcessScrollBar(const RECT& content, int cxRequired, int cyRequired)
{
    bool shown = m_bVScrollEnabled && cyRequired > content.Height();
    if (shown != m_bVScrollShown) {
        m_bVScrollShown = shown;
        return true;
    }
    int rangeY = m_bVScrollEnabled ? std::max(0, cyRequired - content.Height()) : 0;
    int rangeX = m_bHScrollEnabled ? std::max(0, cxRequired - content.Width()) : 0;
    m_rangeY = rangeY;
    m_rangeX = rangeX;
    int y = std::clamp(m_scrollY, 0, rangeY);
    int x = std::clamp(m_scrollX, 0, rangeX);
    if (y != m_scrollY || x != m_scrollX) {
        int dy = y - m_scrollY;
        int dx = x - m_scrollX;
        m_scrollY = y;
        m_scrollX = x;
        for (auto& item : m_items)
            if (!item->IsFloat())
                item->Move(-dx, -dy);
    }
    return false;
}

RECT CContainerUI::VScrollBarRect() const
{
    RECT rc = m_rcItem;
    rc.top += m_rcInset.top;
    rc.bottom -= m_rcInset.bottom;
    rc.right -= m_rcInset.right;
    rc.left = rc.right - ScrollBarWidth();
    return rc;
}

RECT CContainerUI::VThumbRect() const
{
    RECT bar = VScrollBarRect();
    int total = bar.Height();
    int visible = ContentRect().Height();
    int content = visible + m_rangeY;
    if (content <= 0 || total <= 0)
        return bar;
    int thumb = std::max(20, static_cast<int>(static_cast<long long>(total) * visible / content));
    thumb = std::min(thumb, total);
    int travel = total - thumb;
    int offset = m_rangeY > 0 ? static_cast<int>(static_cast<long long>(travel) * m_scrollY / m_rangeY) : 0;
    return RECT { bar.left, bar.top + offset, bar.right, bar.top + offset + thumb };
}

void CContainerUI::PaintScrollBar(CRenderContext& ctx)
{
    if (!m_bVScrollShown)
        return;
    const ScrollBarStyle& style = StyleOf(m_pManager);
    RECT bar = VScrollBarRect();
    if (style.bk)
        render::FillRect(ctx.painter, bar, style.bk);
    if (!style.railImage.empty())
        render::DrawImage(ctx.painter, ctx.manager, bar, style.railImage);
    RECT thumb = VThumbRect();
    const std::wstring& image = m_bThumbDrag && !style.thumbPushedImage.empty() ? style.thumbPushedImage
        : (m_bThumbHot || m_bThumbDrag) && !style.thumbHotImage.empty()         ? style.thumbHotImage
                                                                                : style.thumbImage;
    if (!image.empty() && render::DrawImage(ctx.painter, ctx.manager, thumb, image))
        return;
    thumb.left += 1;
    thumb.right -= 1;
    render::FillRect(ctx.painter, thumb, (m_bThumbHot || m_bThumbDrag) ? style.thumbHot : style.thumb,
        SIZE { style.round, style.round });
}

} // namespace DuiLib
