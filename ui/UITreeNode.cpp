#include "ui/UITreeNode.h"

#include "ui/internal/Attr.h"
#include "ui/internal/Render.h"

namespace DuiLib {

CTreeNodeUI::CTreeNodeUI()
{
    m_uTextStyle = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
}

std::wstring CTreeNodeUI::GetClass() const
{
    return L"TreeNodeUI";
}

CControlUI* CTreeNodeUI::Add(std::unique_ptr<CControlUI> control)
{
    if (!dynamic_cast<CTreeNodeUI*>(control.get()))
        return nullptr;
    return CVerticalLayoutUI::Add(std::move(control));
}

CTreeNodeUI* CTreeNodeUI::AddChildNode(std::unique_ptr<CTreeNodeUI> node)
{
    return static_cast<CTreeNodeUI*>(CVerticalLayoutUI::Add(std::move(node)));
}

CTreeNodeUI* CTreeNodeUI::GetChildNode(int index) const
{
    return static_cast<CTreeNodeUI*>(GetItemAt(index));
}

CTreeNodeUI* CTreeNodeUI::GetParentNode() const
{
    return dynamic_cast<CTreeNodeUI*>(m_pParent);
}

void CTreeNodeUI::SetExpanded(bool expanded)
{
    if (m_bExpanded == expanded)
        return;
    m_bExpanded = expanded;
    for (auto& item : m_items)
        item->SetVisible(expanded);
    NeedParentUpdate();
}

bool CTreeNodeUI::Select(bool select)
{
    m_bSelected = select;
    Invalidate();
    return true;
}

SIZE CTreeNodeUI::EstimateSize(SIZE available)
{
    int h = m_cxyFixed.cy > 0 ? m_cxyFixed.cy : m_captionHeight;
    if (m_bExpanded)
        for (auto& item : m_items)
            if (item->IsVisible())
                h += item->EstimateSize(available).cy;
    return SIZE { m_cxyFixed.cx, h };
}

RECT CTreeNodeUI::CaptionRect() const
{
    RECT rc = m_rcItem;
    rc.bottom = rc.top + (m_cxyFixed.cy > 0 ? m_cxyFixed.cy : m_captionHeight);
    return rc;
}

void CTreeNodeUI::SetPos(const RECT& rc)
{
    CControlUI::SetPos(rc);
    int y = CaptionRect().bottom;
    for (auto& item : m_items) {
        if (!item->IsVisible())
            continue;
        int h = item->EstimateSize(SIZE { rc.Width(), rc.Height() }).cy;
        item->SetPos(RECT { rc.left + m_indent, y, rc.right, y + h });
        y += h;
    }
}

void CTreeNodeUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    if (name == L"expanded" || name == L"isexpanded") {
        bool b = true;
        if (attr::ParseBool(value, b))
            SetExpanded(b);
        return;
    }
    if (name == L"itemheight") {
        int i = 0;
        if (attr::ParseInt(value, i) && i > 0)
            m_captionHeight = i;
        return;
    }
    CVerticalLayoutUI::SetAttribute(name, value);
}

void CTreeNodeUI::DoEvent(TEventUI& event)
{
    if ((event.Type == UIEVENT_BUTTONDOWN || event.Type == UIEVENT_DBLCLICK) && event.pSender == this
        && CaptionRect().Contains(event.ptMouse)) {
        if (event.Type == UIEVENT_DBLCLICK)
            SetExpanded(!m_bExpanded);
        if (m_pOwner && m_iIndex >= 0)
            m_pOwner->SelectItem(m_iIndex, true);
        return;
    }
    CVerticalLayoutUI::DoEvent(event);
}

void CTreeNodeUI::PaintBkColor(CRenderContext& ctx)
{
    CVerticalLayoutUI::PaintBkColor(ctx);
    if (m_bSelected && m_pOwner && m_pOwner->GetListInfo()->dwSelectedBkColor)
        render::FillRect(ctx.painter, CaptionRect(), m_pOwner->GetListInfo()->dwSelectedBkColor);
}

void CTreeNodeUI::PaintText(CRenderContext& ctx)
{
    RECT rc = CaptionRect();
    rc.left += 4 + m_rcTextPadding.left;
    std::uint32_t color = m_dwTextColor ? m_dwTextColor : 0xFF000000;
    if (m_pOwner && m_pOwner->GetListInfo()->dwTextColor && !m_dwTextColor)
        color = m_pOwner->GetListInfo()->dwTextColor;
    render::DrawText(ctx.painter, ctx.manager, rc, m_sText, m_iFont, color, m_uTextStyle);
}

} // namespace DuiLib
