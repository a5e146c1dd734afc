#pragma once

#include <string>

#include "ui/UIContainer.h"

namespace DuiLib {

// Stacks children top to bottom: fixed heights first, the rest shared.
// childalign="left|center|right" places children narrower than the layout.
class CVerticalLayoutUI : public CContainerUI {
public:
    std::wstring GetClass() const override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void SetPos(const RECT& rc) override;

protected:
    unsigned m_childAlign = DT_LEFT;
};

} // namespace DuiLib
