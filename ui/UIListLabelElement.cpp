#include "ui/UIListLabelElement.h"

#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/internal/ListRows.h"
#include "ui/internal/Render.h"

namespace DuiLib {

CListLabelElementUI::CListLabelElementUI() = default;

std::wstring CListLabelElementUI::GetClass() const
{
    return L"ListLabelElementUI";
}

bool CListLabelElementUI::Select(bool select)
{
    if (m_bSelected == select)
        return true;
    m_bSelected = select;
    Invalidate();
    return true;
}

SIZE CListLabelElementUI::EstimateSize(SIZE available)
{
    SIZE sz = m_cxyFixed;
    if (sz.cy == 0) {
        int font = m_iFont >= 0 ? m_iFont : (m_pOwner ? m_pOwner->GetListInfo()->nFont : -1);
        sz.cy = (m_pManager ? render::FontHeight(m_pManager, font) : 16) + 8;
    }
    return sz;
}

void CListLabelElementUI::DoEvent(TEventUI& event)
{
    if (!RowEvent(this, this, m_bHot, event))
        CLabelUI::DoEvent(event);
}

void CListLabelElementUI::PaintBkColor(CRenderContext& ctx)
{
    PaintRowBackground(ctx, m_rcItem, m_pOwner ? m_pOwner->GetListInfo() : nullptr, m_iIndex, m_bSelected,
        m_bHot, m_dwBkColor);
}

std::uint32_t CListLabelElementUI::RowTextColor() const
{
    const TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
    if (m_dwTextColor)
        return m_dwTextColor;
    if (info) {
        if (!m_bEnabled && info->dwDisabledTextColor)
            return info->dwDisabledTextColor;
        if (m_bSelected && info->dwSelectedTextColor)
            return info->dwSelectedTextColor;
        if (m_bHot && info->dwHotTextColor)
            return info->dwHotTextColor;
        if (info->dwTextColor)
            return info->dwTextColor;
    }
    return CurrentTextColor();
}

void CListLabelElementUI::PaintText(CRenderContext& ctx)
{
    const TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
    if (m_sText.empty())
        return;
    RECT rc = m_rcItem;
    RECT pad = info ? info->rcTextPadding : m_rcTextPadding;
    rc.left += pad.left;
    rc.right -= pad.right;
    rc.top += pad.top;
    rc.bottom -= pad.bottom;
    int font = m_iFont >= 0 ? m_iFont : (info ? info->nFont : -1);
    unsigned style = info ? info->uTextStyle : m_uTextStyle;
    if ((info && info->bShowHtml) || m_bShowHtml) {
        auto layout = render::LayoutMarkup(ctx.manager, rc, m_sText, font, RowTextColor(), style);
        render::DrawMarkup(ctx.painter, ctx.manager, layout, -1);
    } else {
        render::DrawText(ctx.painter, ctx.manager, rc, m_sText, font, RowTextColor(), style);
    }
}

} // namespace DuiLib
