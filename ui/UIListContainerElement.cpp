#include "ui/UIListContainerElement.h"

#include "ui/UIList.h"
#include "ui/internal/ListRows.h"

namespace DuiLib {

std::wstring CListContainerElementUI::GetClass() const
{
    return L"ListContainerElementUI";
}

bool CListContainerElementUI::Select(bool select)
{
    if (m_bSelected == select)
        return true;
    m_bSelected = select;
    Invalidate();
    return true;
}

void CListContainerElementUI::DoEvent(TEventUI& event)
{
    if (!RowEvent(this, this, m_bHot, event))
        CHorizontalLayoutUI::DoEvent(event);
}

void CListContainerElementUI::PaintBkColor(CRenderContext& ctx)
{
    PaintRowBackground(ctx, m_rcItem, m_pOwner ? m_pOwner->GetListInfo() : nullptr, m_iIndex, m_bSelected,
        m_bHot, m_dwBkColor);
}

} // namespace DuiLib
