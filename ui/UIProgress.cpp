#include "ui/UIProgress.h"

#include <algorithm>

#include "ui/internal/Attr.h"
#include "ui/internal/Render.h"

namespace DuiLib {

CProgressUI::CProgressUI()
{
    m_uTextStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}

std::wstring CProgressUI::GetClass() const
{
    return L"ProgressUI";
}

void CProgressUI::SetHorizontal(bool horizontal)
{
    m_bHorizontal = horizontal;
    Invalidate();
}

void CProgressUI::SetMinValue(int value)
{
    m_nMin = value;
    if (m_nMax < m_nMin)
        m_nMax = m_nMin;
    m_nValue = std::clamp(m_nValue, m_nMin, m_nMax);
    Invalidate();
}

void CProgressUI::SetMaxValue(int value)
{
    m_nMax = std::max(value, m_nMin);
    m_nValue = std::clamp(m_nValue, m_nMin, m_nMax);
    Invalidate();
}

void CProgressUI::SetValue(int value)
{
    value = std::clamp(value, m_nMin, m_nMax);
    if (value == m_nValue)
        return;
    m_nValue = value;
    Invalidate();
}

void CProgressUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    int i = 0;
    bool b = false;
    std::uint32_t color = 0;
    if (name == L"min" || name == L"max" || name == L"value") {
        if (!attr::ParseInt(value, i)) {
            attr::LogBadValue(GetClass(), name, value);
            return;
        }
        if (name == L"min")
            SetMinValue(i);
        else if (name == L"max")
            SetMaxValue(i);
        else
            SetValue(i);
    } else if (name == L"hor") {
        if (attr::ParseBool(value, b))
            SetHorizontal(b);
        else
            attr::LogBadValue(GetClass(), name, value);
    } else if (name == L"forecolor") {
        if (attr::ParseColor(value, color))
            m_dwForeColor = color;
        else
            attr::LogBadValue(GetClass(), name, value);
    } else if (name == L"isstretchfore") {
        // Always stretched here.
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

RECT CProgressUI::ValueRect() const
{
    RECT rc = m_rcItem;
    long long span = static_cast<long long>(m_nMax) - m_nMin;
    long long done = static_cast<long long>(m_nValue) - m_nMin;
    if (span <= 0) {
        rc.right = rc.left;
        return rc;
    }
    if (m_bHorizontal)
        rc.right = rc.left + static_cast<int>(rc.Width() * done / span);
    else
        rc.top = rc.bottom - static_cast<int>(rc.Height() * done / span);
    return rc;
}

void CProgressUI::PaintStatusImage(CRenderContext& ctx)
{
    RECT part = ValueRect();
    if (part.IsEmpty())
        return;
    QPainter& p = ctx.painter;
    p.save();
    p.setClipRect(render::ToQRect(part), Qt::IntersectClip);
    if (m_dwForeColor)
        render::FillRect(p, m_rcItem, m_dwForeColor, m_cxyBorderRound);
    DrawImage(ctx, m_sForeImage);
    p.restore();
}

} // namespace DuiLib
