#include "ui/UIListTextElement.h"

#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/internal/Render.h"

namespace DuiLib {

std::wstring CListTextElementUI::GetClass() const
{
    return L"ListTextElementUI";
}

std::wstring CListTextElementUI::GetText(int column) const
{
    if (column < 0 || column >= static_cast<int>(m_texts.size()))
        return {};
    return m_texts[static_cast<std::size_t>(column)];
}

void CListTextElementUI::SetText(int column, const std::wstring& text)
{
    if (column < 0 || column > 255)
        return;
    if (column >= static_cast<int>(m_texts.size()))
        m_texts.resize(static_cast<std::size_t>(column) + 1);
    m_texts[static_cast<std::size_t>(column)] = text;
    Invalidate();
}

void CListTextElementUI::PaintText(CRenderContext& ctx)
{
    const TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
    CListHeaderUI* header = m_pOwner ? m_pOwner->GetHeader() : nullptr;
    int font = m_iFont >= 0 ? m_iFont : (info ? info->nFont : -1);
    unsigned style = info ? info->uTextStyle : m_uTextStyle;
    RECT pad = info ? info->rcTextPadding : m_rcTextPadding;
    int columns = header ? header->GetCount() : 1;
    for (int col = 0; col < columns && col < static_cast<int>(m_texts.size()); ++col) {
        RECT rc = m_rcItem;
        if (header) {
            CControlUI* h = header->GetItemAt(col);
            if (!h || !h->IsVisible())
                continue;
            rc.left = h->GetPos().left;
            rc.right = h->GetPos().right;
        }
        rc.left += pad.left;
        rc.right -= pad.right;
        render::DrawText(ctx.painter, ctx.manager, rc, m_texts[static_cast<std::size_t>(col)], font,
            RowTextColor(), style);
    }
}

} // namespace DuiLib
