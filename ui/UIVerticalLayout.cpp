#include "ui/UIVerticalLayout.h"

#include "ui/internal/CrossAlign.h"

namespace DuiLib {

std::wstring CVerticalLayoutUI::GetClass() const
{
    return L"VerticalLayoutUI";
}

void CVerticalLayoutUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    if (name == L"childalign")
        SetCrossAlign(this, name, value, DT_CENTER | DT_RIGHT, m_childAlign);
    else
        CContainerUI::SetAttribute(name, value);
}

void CVerticalLayoutUI::SetPos(const RECT& rc)
{
    CControlUI::SetPos(rc);
    StackChildren(true, m_childAlign);
}

} // namespace DuiLib
