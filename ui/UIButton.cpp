#include "ui/UIButton.h"

#include "ui/UIManager.h"
#include "ui/internal/Attr.h"
#include "ui/internal/Render.h"

namespace DuiLib {

CButtonUI::CButtonUI()
{
    m_uTextStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}

std::wstring CButtonUI::GetClass() const
{
    return L"ButtonUI";
}

bool CButtonUI::Activate()
{
    if (!CControlUI::Activate())
        return false;
    if (m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_CLICK);
    return true;
}

void CButtonUI::SetEnabled(bool enabled)
{
    CControlUI::SetEnabled(enabled);
    if (!enabled) {
        m_bHot = false;
        m_bPushed = false;
        m_bPressing = false;
    }
}

void CButtonUI::DoEvent(TEventUI& event)
{
    if (!m_bMouseEnabled && event.Type >= UIEVENT_MOUSEMOVE && event.Type <= UIEVENT_DBLCLICK) {
        CLabelUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (m_bEnabled && m_rcItem.Contains(event.ptMouse)) {
            m_bPressing = true;
            m_bPushed = true;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_bPressing) {
            bool inside = m_rcItem.Contains(event.ptMouse);
            if (inside != m_bPushed) {
                m_bPushed = inside;
                Invalidate();
            }
        }
        return;
    case UIEVENT_BUTTONUP:
        if (m_bPressing) {
            bool inside = m_rcItem.Contains(event.ptMouse);
            m_bPressing = false;
            m_bPushed = false;
            Invalidate();
            if (inside)
                Activate();
        }
        return;
    case UIEVENT_MOUSEENTER:
        if (m_bEnabled) {
            m_bHot = true;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        if (m_bHot) {
            m_bHot = false;
            Invalidate();
        }
        return;
    case UIEVENT_KEYDOWN:
        if (event.key == UIKEY_RETURN || event.key == UIKEY_SPACE) {
            Activate();
            return;
        }
        break;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CButtonUI::SetNormalImage(const std::wstring& image)
{
    m_sNormalImage = image;
    Invalidate();
}

void CButtonUI::SetHotImage(const std::wstring& image)
{
    m_sHotImage = image;
    Invalidate();
}

void CButtonUI::SetPushedImage(const std::wstring& image)
{
    m_sPushedImage = image;
    Invalidate();
}

void CButtonUI::SetFocusedImage(const std::wstring& image)
{
    m_sFocusedImage = image;
    Invalidate();
}

void CButtonUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    std::uint32_t color = 0;
    bool b = false;
    auto colorAttr = [&](std::uint32_t& target) {
        if (attr::ParseColor(value, color))
            target = color;
        else
            attr::LogBadValue(GetClass(), name, value);
        Invalidate();
    };
    if (name == L"normalimage")
        SetNormalImage(value);
    else if (name == L"hotimage")
        SetHotImage(value);
    else if (name == L"pushedimage")
        SetPushedImage(value);
    else if (name == L"focusedimage")
        SetFocusedImage(value);
    else if (name == L"hotforeimage")
        m_sHotForeImage = value;
    else if (name == L"pushedforeimage")
        m_sPushedForeImage = value;
    else if (name == L"hottextcolor")
        colorAttr(m_dwHotTextColor);
    else if (name == L"pushedtextcolor")
        colorAttr(m_dwPushedTextColor);
    else if (name == L"focusedtextcolor")
        colorAttr(m_dwFocusedTextColor);
    else if (name == L"hotbkcolor")
        colorAttr(m_dwHotBkColor);
    else if (name == L"pushedbkcolor")
        colorAttr(m_dwPushedBkColor);
    else if (name == L"default") {
        if (attr::ParseBool(value, b))
            m_bDefault = b;
        else
            attr::LogBadValue(GetClass(), name, value);
    } else
        CLabelUI::SetAttribute(name, value);
}

void CButtonUI::PaintBkColor(CRenderContext& ctx)
{
    std::uint32_t color = m_dwBkColor;
    if (m_bEnabled && m_bPushed && m_dwPushedBkColor)
        color = m_dwPushedBkColor;
    else if (m_bEnabled && (m_bHot || m_bPushed) && m_dwHotBkColor)
        color = m_dwHotBkColor;
    if (!color)
        return;
    if (m_dwBkColor2 && color == m_dwBkColor)
        render::FillGradient(ctx.painter, m_rcItem, color, m_dwBkColor2);
    else
        render::FillRect(ctx.painter, m_rcItem, color, m_cxyBorderRound);
}

void CButtonUI::PaintStatusImage(CRenderContext& ctx)
{
    bool drawn = false;
    if (!m_bEnabled)
        drawn = DrawImage(ctx, m_sDisabledImage);
    else if (m_bPushed)
        drawn = DrawImage(ctx, m_sPushedImage);
    else if (m_bHot)
        drawn = DrawImage(ctx, m_sHotImage);
    else if (m_bFocused)
        drawn = DrawImage(ctx, m_sFocusedImage);
    if (!drawn)
        DrawImage(ctx, m_sNormalImage);
    if (m_bEnabled && m_bPushed && DrawImage(ctx, m_sPushedForeImage))
        return;
    if (m_bEnabled && m_bHot && DrawImage(ctx, m_sHotForeImage))
        return;
    DrawImage(ctx, m_sForeImage);
}

void CButtonUI::PaintBorder(CRenderContext& ctx)
{
    CControlUI::PaintBorder(ctx);
    if (!m_bFocused || !m_bEnabled || !m_sFocusedImage.empty() || m_dwFocusBorderColor != 0)
        return;
    if (m_rcItem.Width() < 8 || m_rcItem.Height() < 8)
        return;
    // Two tones, so the ring shows on dark and on light backgrounds alike.
    RECT outer { m_rcItem.left + 1, m_rcItem.top + 1, m_rcItem.right - 1, m_rcItem.bottom - 1 };
    RECT inner { m_rcItem.left + 2, m_rcItem.top + 2, m_rcItem.right - 2, m_rcItem.bottom - 2 };
    render::DrawBorder(ctx.painter, outer, 1, 0xB0000000, m_cxyBorderRound);
    render::DrawBorder(ctx.painter, inner, 1, 0xF0FFFFFF, m_cxyBorderRound);
}

std::uint32_t CButtonUI::CurrentTextColor() const
{
    if (m_bEnabled) {
        if (m_bPushed && m_dwPushedTextColor)
            return m_dwPushedTextColor;
        if ((m_bHot || m_bPushed) && m_dwHotTextColor)
            return m_dwHotTextColor;
        if (m_bFocused && m_dwFocusedTextColor)
            return m_dwFocusedTextColor;
    }
    return CLabelUI::CurrentTextColor();
}

} // namespace DuiLib
