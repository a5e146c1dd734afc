#include "ui/UICheckBox.h"

namespace DuiLib {

std::wstring CCheckBoxUI::GetClass() const
{
    return L"CheckBoxUI";
}

} // namespace DuiLib
