#pragma once

#include <string>

#include "ui/UIEdit.h"

namespace DuiLib {

// The rich edit of the skin: the same field; "textchanged" only after
// SetEventMask(ENM_CHANGE).
class CRichEditUI : public CEditUI {
public:
    CRichEditUI();
    std::wstring GetClass() const override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
};

} // namespace DuiLib
