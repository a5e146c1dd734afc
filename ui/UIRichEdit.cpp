#include "ui/UIRichEdit.h"

#include "ui/internal/Attr.h"

namespace DuiLib {

CRichEditUI::CRichEditUI()
{
    m_uEventMask = 0;
}

std::wstring CRichEditUI::GetClass() const
{
    return L"RichEditUI";
}

void CRichEditUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    if (name == L"rich" || name == L"autodetecturl" || name == L"limittext") {
        if (name == L"limittext") {
            int i = 0;
            if (attr::ParseInt(value, i) && i >= 0)
                SetMaxChar(i);
        }
        return;
    }
    CEditUI::SetAttribute(name, value);
}

} // namespace DuiLib
