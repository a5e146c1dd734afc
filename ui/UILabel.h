#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/UIControl.h"

namespace DuiLib {

// A text. With showhtml the text is markup (b i u c a f x y p n).
class CLabelUI : public CControlUI {
public:
    CLabelUI();
    ~CLabelUI() override;
    std::wstring GetClass() const override;
    void Move(int dx, int dy) override;

protected:
    void PaintText(CRenderContext& ctx) override;
    // The colour for the current state.
    virtual std::uint32_t CurrentTextColor() const;
    void DrawLabelText(CRenderContext& ctx, const std::wstring& text, std::uint32_t color);

    struct LayoutCache;
    std::unique_ptr<LayoutCache> m_layout; // the last markup layout
    int m_hoverLink = -1;
};

} // namespace DuiLib
