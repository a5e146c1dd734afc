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
    std::unique_ptr<LayoutCache> m_layout;  // the last markup layout
    int m_hoverLink = -1;
};

// A text that reports clicks on its links: "link" with wParam = the link's
// index and lParam = a const std::wstring* to its target (valid during the
// notification). Multi-line by default.
class CTextUI : public CLabelUI {
public:
    CTextUI();
    std::wstring GetClass() const override;
    int GetLinkCount() const;
    std::wstring GetLinkContent(int index) const;
    // The link at pt after the last paint, or -1.
    int LinkAt(POINT pt) const;
    void DoEvent(TEventUI& event) override;
};

}  // namespace DuiLib
