#include "ui/UILabel.h"

#include "ui/UIManager.h"
#include "ui/internal/LabelLayout.h"
#include "ui/internal/Render.h"

namespace DuiLib {

CLabelUI::CLabelUI() = default;
CLabelUI::~CLabelUI() = default;

std::wstring CLabelUI::GetClass() const
{
    return L"LabelUI";
}

void CLabelUI::Move(int dx, int dy)
{
    CControlUI::Move(dx, dy);
    if (m_layout) {
        m_layout->rc.Offset(dx, dy);
        for (auto& run : m_layout->layout.runs)
            run.rc.Offset(dx, dy);
        for (auto& r : m_layout->layout.linkRects)
            r.Offset(dx, dy);
        for (auto& line : m_layout->layout.lines)
            line.top += dy;
    }
}

std::uint32_t CLabelUI::CurrentTextColor() const
{
    if (!m_bEnabled)
        return m_dwDisabledTextColor ? m_dwDisabledTextColor
                                     : (m_pManager ? m_pManager->GetDefaultDisabledColor() : 0xFFA7A6AA);
    return m_dwTextColor ? m_dwTextColor : (m_pManager ? m_pManager->GetDefaultFontColor() : 0xFF000000);
}

void CLabelUI::DrawLabelText(CRenderContext& ctx, const std::wstring& text, std::uint32_t color)
{
    if (text.empty())
        return;
    RECT rc = TextRect();
    if (!m_bShowHtml) {
        render::DrawText(ctx.painter, ctx.manager, rc, text, m_iFont, color, m_uTextStyle);
        return;
    }
    if (!m_layout)
        m_layout = std::make_unique<LayoutCache>();
    LayoutCache& c = *m_layout;
    if (!(c.rc == rc) || c.text != text || c.font != m_iFont || c.color != color || c.style != m_uTextStyle) {
        c.rc = rc;
        c.text = text;
        c.font = m_iFont;
        c.color = color;
        c.style = m_uTextStyle;
        c.layout = render::LayoutMarkup(ctx.manager, rc, text, m_iFont, color, m_uTextStyle);
    }
    render::DrawMarkup(ctx.painter, ctx.manager, c.layout, m_hoverLink);
}

void CLabelUI::PaintText(CRenderContext& ctx)
{
    DrawLabelText(ctx, m_sText, CurrentTextColor());
}

} // namespace DuiLib
