#include "ui/UIListHeaderItem.h"

namespace DuiLib {

CListHeaderItemUI::CListHeaderItemUI()
{
    m_uTextStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}

std::wstring CListHeaderItemUI::GetClass() const
{
    return L"ListHeaderItemUI";
}

} // namespace DuiLib
