#pragma once

#include <string>

#include "ui/UIContainer.h"

namespace DuiLib {

// Stacks children left to right: fixed widths first, the rest shared.
// childvalign="top|vcenter|bottom" places children lower than the layout.
class CHorizontalLayoutUI : public CContainerUI {
public:
    std::wstring GetClass() const override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void SetPos(const RECT& rc) override;

protected:
    unsigned m_childVAlign = DT_TOP;
};

} // namespace DuiLib
