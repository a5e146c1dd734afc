#include "ui/UILabel.h"

#include "ui/UIManager.h"
#include "ui/internal/ManagerImpl.h"
#include "ui/internal/Render.h"

namespace DuiLib {

struct CLabelUI::LayoutCache {
    RECT rc;
    std::wstring text;
    int font = -2;
    std::uint32_t color = 0;
    unsigned style = 0;
    render::MarkupLayout layout;
};

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

// ---------------------------------------------------------------- text

CTextUI::CTextUI()
{
    m_uTextStyle = DT_WORDBREAK;
}

std::wstring CTextUI::GetClass() const
{
    return L"TextUI";
}

int CTextUI::GetLinkCount() const
{
    return m_layout ? static_cast<int>(m_layout->layout.links.size()) : 0;
}

std::wstring CTextUI::GetLinkContent(int index) const
{
    if (!m_layout || index < 0 || index >= static_cast<int>(m_layout->layout.links.size()))
        return {};
    return m_layout->layout.links[static_cast<std::size_t>(index)];
}

int CTextUI::LinkAt(POINT pt) const
{
    if (!m_layout)
        return -1;
    const auto& l = m_layout->layout;
    for (std::size_t i = 0; i < l.linkRects.size(); ++i)
        if (l.linkRects[i].Contains(pt))
            return l.linkOfRect[i];
    return -1;
}

void CTextUI::DoEvent(TEventUI& event)
{
    if (m_bShowHtml && m_bEnabled) {
        if (event.Type == UIEVENT_MOUSEMOVE || event.Type == UIEVENT_MOUSELEAVE) {
            int link = event.Type == UIEVENT_MOUSEMOVE ? LinkAt(event.ptMouse) : -1;
            if (link != m_hoverLink) {
                m_hoverLink = link;
                Invalidate();
                if (m_pManager && m_pManager->GetImpl().host) {
                    if (link >= 0)
                        m_pManager->GetImpl().host->setCursor(Qt::PointingHandCursor);
                    else
                        m_pManager->GetImpl().host->unsetCursor();
                }
            }
        } else if (event.Type == UIEVENT_BUTTONUP) {
            int link = LinkAt(event.ptMouse);
            if (link >= 0 && m_pManager) {
                std::wstring target = GetLinkContent(link);
                m_pManager->SendNotify(this, DUI_MSGTYPE_LINK, static_cast<WPARAM>(link),
                                       reinterpret_cast<LPARAM>(&target));
                return;
            }
        }
    }
    CLabelUI::DoEvent(event);
}

}  // namespace DuiLib
