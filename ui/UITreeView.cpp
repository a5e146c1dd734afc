#include "ui/UITreeView.h"

namespace DuiLib {

std::wstring CTreeViewUI::GetClass() const
{
    return L"TreeViewUI";
}

} // namespace DuiLib
