#include "ui/UIListHeader.h"

#include "ui/internal/Render.h"

namespace DuiLib {

CListHeaderUI::CListHeaderUI() = default;

std::wstring CListHeaderUI::GetClass() const
{
    return L"ListHeaderUI";
}

SIZE CListHeaderUI::EstimateSize(SIZE available)
{
    SIZE sz = CHorizontalLayoutUI::EstimateSize(available);
    if (sz.cy == 0)
        sz.cy = m_pManager ? render::FontHeight(m_pManager, -1) + 8 : 24;
    return sz;
}

} // namespace DuiLib
