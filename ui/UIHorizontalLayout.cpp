#include "ui/UIHorizontalLayout.h"

#include "ui/internal/CrossAlign.h"

namespace DuiLib {

std::wstring CHorizontalLayoutUI::GetClass() const
{
    return L"HorizontalLayoutUI";
}

void CHorizontalLayoutUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    if (name == L"childvalign")
        SetCrossAlign(this, name, value, DT_VCENTER | DT_BOTTOM | DT_TOP, m_childVAlign);
    else
        CContainerUI::SetAttribute(name, value);
}

void CHorizontalLayoutUI::SetPos(const RECT& rc)
{
    CControlUI::SetPos(rc);
    StackChildren(false, m_childVAlign);
}

} // namespace DuiLib
