#pragma once

#include <string>
#include <vector>

#include "ui/UIListLabelElement.h"

namespace DuiLib {

// A row with one text per column (columns from the header's items).
class CListTextElementUI : public CListLabelElementUI {
public:
    std::wstring GetClass() const override;
    std::wstring GetText(int column) const;
    void SetText(int column, const std::wstring& text);
    using CListLabelElementUI::GetText;
    using CListLabelElementUI::SetText;

protected:
    void PaintText(CRenderContext& ctx) override;
    std::vector<std::wstring> m_texts;
};

} // namespace DuiLib
