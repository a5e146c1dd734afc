#include "ui/internal/CrossAlign.h"

#include "ui/UIControl.h"
#include "ui/internal/Attr.h"

namespace DuiLib {

void SetCrossAlign(
    CControlUI* self, const std::wstring& name, const std::wstring& value, unsigned mask, unsigned& target)
{
    unsigned style = 0;
    if (attr::ParseAlign(value, style))
        target = style & mask;
    else
        attr::LogBadValue(self->GetClass(), name, value);
    self->NeedUpdate();
}

} // namespace DuiLib
