#include "ui/UIControl.h"

#include <algorithm>
#include <unordered_map>

#include "ui/UIManager.h"
#include "ui/internal/Attr.h"
#include "ui/internal/ManagerImpl.h"
#include "ui/internal/Render.h"

namespace DuiLib {

RECT RECT::Intersected(const RECT& o) const
{
    RECT r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
    return r;
}

CControlUI::CControlUI() = default;

CControlUI::~CControlUI()
{
    if (m_pManager) {
        m_pManager->ReapObjects(this);
        m_pManager = nullptr;
    }
}

std::wstring CControlUI::GetClass() const
{
    return L"ControlUI";
}

void CControlUI::SetName(const std::wstring& name)
{
    if (name == m_sName)
        return;
    if (m_pManager) {
        auto& names = m_pManager->GetImpl().names;
        auto it = names.find(m_sName);
        if (it != names.end() && it->second == this)
            names.erase(it);
    }
    m_sName = name;
    if (m_pManager)
        m_pManager->InitControl(this);
}

std::wstring CControlUI::GetText() const
{
    return m_sText;
}

void CControlUI::SetText(const std::wstring& text)
{
    if (text == m_sText)
        return;
    m_sText = text;
    Invalidate();
}

void CControlUI::SetVisible(bool visible)
{
    if (m_bVisible == visible)
        return;
    if (!visible && m_pManager) {
        // The focus must not stay on something that cannot be seen.
        CControlUI* focus = m_pManager->GetFocus();
        for (CControlUI* c = focus; c; c = c->GetParent()) {
            if (c == this) {
                m_pManager->SetFocus(nullptr);
                break;
            }
        }
    }
    m_bVisible = visible;
    Invalidate();
    NeedParentUpdate();
}

bool CControlUI::IsVisibleInTree() const
{
    for (const CControlUI* c = this; c; c = c->GetParent())
        if (!c->IsVisible())
            return false;
    return true;
}

void CControlUI::SetEnabled(bool enabled)
{
    if (m_bEnabled == enabled)
        return;
    m_bEnabled = enabled;
    if (!enabled && m_pManager && m_pManager->GetFocus() == this)
        m_pManager->SetFocus(nullptr);
    Invalidate();
}

void CControlUI::SetFocus()
{
    if (m_pManager)
        m_pManager->SetFocus(this);
}

void CControlUI::SetBkImage(const std::wstring& image)
{
    if (image == m_sBkImage)
        return;
    m_sBkImage = image;
    Invalidate();
}

void CControlUI::SetForeImage(const std::wstring& image)
{
    if (image == m_sForeImage)
        return;
    m_sForeImage = image;
    Invalidate();
}

void CControlUI::SetDisabledImage(const std::wstring& image)
{
    if (image == m_sDisabledImage)
        return;
    m_sDisabledImage = image;
    Invalidate();
}

void CControlUI::SetBkColor(std::uint32_t argb)
{
    m_dwBkColor = argb;
    Invalidate();
}

void CControlUI::SetBorderColor(std::uint32_t argb)
{
    m_dwBorderColor = argb;
    Invalidate();
}

void CControlUI::SetBorderSize(int size)
{
    m_nBorderSize = std::max(0, size);
    Invalidate();
}

void CControlUI::SetFont(int id)
{
    m_iFont = id;
    Invalidate();
}

void CControlUI::SetTextColor(std::uint32_t argb)
{
    m_dwTextColor = argb;
    Invalidate();
}

void CControlUI::SetTextStyle(unsigned style)
{
    m_uTextStyle = style;
    Invalidate();
}

void CControlUI::SetShowHtml(bool on)
{
    m_bShowHtml = on;
    Invalidate();
}

void CControlUI::SetPos(const RECT& rc)
{
    RECT r = rc;
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
    if (!(r == m_rcItem)) {
        Invalidate();
        m_rcItem = r;
        Invalidate();
    }
    m_bUpdateNeeded = false;
    m_bSubtreeUpdateNeeded = false;
}

void CControlUI::Move(int dx, int dy)
{
    m_rcItem.Offset(dx, dy);
}

void CControlUI::SetPadding(const RECT& rc)
{
    m_rcPadding = rc;
    NeedParentUpdate();
}

void CControlUI::SetFloat(bool on)
{
    if (m_bFloat == on)
        return;
    m_bFloat = on;
    NeedParentUpdate();
}

void CControlUI::SetFloatPos(const RECT& rc)
{
    m_rcFloat = rc;
    if (rc.right > rc.left)
        m_cxyFixed.cx = rc.right - rc.left;
    if (rc.bottom > rc.top)
        m_cxyFixed.cy = rc.bottom - rc.top;
    NeedParentUpdate();
}

void CControlUI::SetFixedWidth(int cx)
{
    if (cx < 0 || cx == m_cxyFixed.cx)
        return;
    m_cxyFixed.cx = cx;
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int cy)
{
    if (cy < 0 || cy == m_cxyFixed.cy)
        return;
    m_cxyFixed.cy = cy;
    NeedParentUpdate();
}

void CControlUI::SetMinWidth(int cx)
{
    if (cx < 0)
        return;
    m_cxyMin.cx = cx;
    NeedParentUpdate();
}

void CControlUI::SetMaxWidth(int cx)
{
    if (cx < 0)
        return;
    m_cxyMax.cx = cx;
    NeedParentUpdate();
}

void CControlUI::SetMinHeight(int cy)
{
    if (cy < 0)
        return;
    m_cxyMin.cy = cy;
    NeedParentUpdate();
}

void CControlUI::SetMaxHeight(int cy)
{
    if (cy < 0)
        return;
    m_cxyMax.cy = cy;
    NeedParentUpdate();
}

SIZE CControlUI::EstimateSize(SIZE)
{
    return m_cxyFixed;
}

namespace {

enum class Attr {
    Name, Text, ToolTip, UserData, Tag, Visible, Enabled, Mouse, Keyboard, Float, Pos, Padding, Width, Height,
    MinWidth, MinHeight, MaxWidth, MaxHeight, BkColor, BkColor2, BorderColor, FocusBorderColor, BorderSize,
    BorderRound, BkImage, ForeImage, DisabledImage, Font, TextColor, DisabledTextColor, Align, TextPadding,
    ShowHtml, EndEllipsis, MultiLine, FloatAlign, Ignored
};

// One lookup instead of a chain of comparisons: a page builds thousands of controls.
bool AttrOf(const std::wstring& name, Attr& out)
{
    static const std::unordered_map<std::wstring, Attr> map = {
        {L"name", Attr::Name}, {L"text", Attr::Text}, {L"tooltip", Attr::ToolTip}, {L"userdata", Attr::UserData},
        {L"tag", Attr::Tag}, {L"visible", Attr::Visible}, {L"enabled", Attr::Enabled}, {L"mouse", Attr::Mouse},
        {L"keyboard", Attr::Keyboard}, {L"float", Attr::Float}, {L"floatalign", Attr::FloatAlign}, {L"pos", Attr::Pos}, {L"padding", Attr::Padding},
        {L"width", Attr::Width}, {L"height", Attr::Height}, {L"minwidth", Attr::MinWidth},
        {L"minheight", Attr::MinHeight}, {L"maxwidth", Attr::MaxWidth}, {L"maxheight", Attr::MaxHeight},
        {L"bkcolor", Attr::BkColor}, {L"bkcolor1", Attr::BkColor}, {L"bkcolor2", Attr::BkColor2},
        {L"bordercolor", Attr::BorderColor}, {L"focusbordercolor", Attr::FocusBorderColor},
        {L"bordersize", Attr::BorderSize}, {L"borderround", Attr::BorderRound}, {L"bkimage", Attr::BkImage},
        {L"foreimage", Attr::ForeImage}, {L"disabledimage", Attr::DisabledImage}, {L"font", Attr::Font},
        {L"textcolor", Attr::TextColor}, {L"disabledtextcolor", Attr::DisabledTextColor}, {L"align", Attr::Align},
        {L"valign", Attr::Align}, {L"textpadding", Attr::TextPadding}, {L"showhtml", Attr::ShowHtml},
        {L"endellipsis", Attr::EndEllipsis}, {L"multiline", Attr::MultiLine}, {L"wordbreak", Attr::MultiLine},
        // Accepted and ignored: no meaning on this backend.
        {L"cursor", Attr::Ignored}, {L"menu", Attr::Ignored}, {L"shortcut", Attr::Ignored},
        {L"virtualwnd", Attr::Ignored}, {L"autocalcwidth", Attr::Ignored},
    };
    auto it = map.find(name);
    if (it == map.end())
        return false;
    out = it->second;
    return true;
}

}  // namespace

void CControlUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    using namespace attr;
    Attr which;
    if (!AttrOf(name, which)) {
        LogUnknown(GetClass(), name, value);
        return;
    }
    bool ok = true;
    bool b = false;
    int i = 0;
    RECT rc;
    SIZE sz;
    std::uint32_t color = 0;
    switch (which) {
    case Attr::Name: SetName(value); break;
    case Attr::Text: SetText(value); break;
    case Attr::ToolTip: SetToolTip(value); break;
    case Attr::UserData: SetUserData(value); break;
    case Attr::Tag:
        if ((ok = ParseInt(value, i)))
            SetTag(static_cast<std::uintptr_t>(static_cast<std::intptr_t>(i)));
        break;
    case Attr::Visible:
        if ((ok = ParseBool(value, b)))
            SetVisible(b);
        break;
    case Attr::Enabled:
        if ((ok = ParseBool(value, b)))
            SetEnabled(b);
        break;
    case Attr::Mouse:
        if ((ok = ParseBool(value, b)))
            SetMouseEnabled(b);
        break;
    case Attr::Keyboard:
        if ((ok = ParseBool(value, b)))
            SetKeyboardEnabled(b);
        break;
    case Attr::Float:
        if ((ok = ParseBool(value, b)))
            SetFloat(b);
        break;
    case Attr::Pos:
        if ((ok = ParseRect(value, rc)))
            SetFloatPos(rc);
        break;
    case Attr::Padding:
        if ((ok = ParseRect(value, rc)))
            SetPadding(rc);
        break;
    case Attr::Width:
        if ((ok = ParseInt(value, i) && i >= 0))
            SetFixedWidth(i);
        break;
    case Attr::Height:
        if ((ok = ParseInt(value, i) && i >= 0))
            SetFixedHeight(i);
        break;
    case Attr::MinWidth:
        if ((ok = ParseInt(value, i) && i >= 0))
            SetMinWidth(i);
        break;
    case Attr::MinHeight:
        if ((ok = ParseInt(value, i) && i >= 0))
            SetMinHeight(i);
        break;
    case Attr::MaxWidth:
        if ((ok = ParseInt(value, i) && i >= 0))
            SetMaxWidth(i);
        break;
    case Attr::MaxHeight:
        if ((ok = ParseInt(value, i) && i >= 0))
            SetMaxHeight(i);
        break;
    case Attr::BkColor:
        if ((ok = ParseColor(value, color)))
            SetBkColor(color);
        break;
    case Attr::BkColor2:
        if ((ok = ParseColor(value, color)))
            m_dwBkColor2 = color;
        break;
    case Attr::BorderColor:
        if ((ok = ParseColor(value, color)))
            SetBorderColor(color);
        break;
    case Attr::FocusBorderColor:
        if ((ok = ParseColor(value, color)))
            m_dwFocusBorderColor = color;
        break;
    case Attr::BorderSize:
        if ((ok = ParseInt(value, i) && i >= 0))
            SetBorderSize(i);
        break;
    case Attr::BorderRound:
        if ((ok = ParseSize(value, sz)))
            m_cxyBorderRound = sz;
        break;
    case Attr::BkImage: SetBkImage(value); break;
    case Attr::ForeImage: SetForeImage(value); break;
    case Attr::DisabledImage: SetDisabledImage(value); break;
    case Attr::Font:
        if ((ok = ParseInt(value, i)))
            SetFont(i);
        break;
    case Attr::TextColor:
        if ((ok = ParseColor(value, color)))
            SetTextColor(color);
        break;
    case Attr::DisabledTextColor:
        if ((ok = ParseColor(value, color)))
            m_dwDisabledTextColor = color;
        break;
    case Attr::Align: {
        unsigned style = m_uTextStyle;
        if ((ok = ParseAlign(value, style)))
            SetTextStyle(style);
        break;
    }
    case Attr::TextPadding:
        if ((ok = ParseRect(value, rc)))
            m_rcTextPadding = rc;
        break;
    case Attr::ShowHtml:
        if ((ok = ParseBool(value, b)))
            SetShowHtml(b);
        break;
    case Attr::EndEllipsis:
        if ((ok = ParseBool(value, b)))
            SetTextStyle(b ? (m_uTextStyle | DT_END_ELLIPSIS) : (m_uTextStyle & ~DT_END_ELLIPSIS));
        break;
    case Attr::MultiLine:
        if ((ok = ParseBool(value, b)))
            SetTextStyle(b ? ((m_uTextStyle & ~DT_SINGLELINE) | DT_WORDBREAK)
                           : ((m_uTextStyle | DT_SINGLELINE) & ~DT_WORDBREAK));
        break;
    case Attr::FloatAlign:
        m_floatRight = value.find(L"right") != std::wstring::npos;
        m_floatBottom = value.find(L"bottom") != std::wstring::npos;
        ok = m_floatRight || m_floatBottom || value == L"left" || value == L"top";
        NeedParentUpdate();
        break;
    case Attr::Ignored: break;
    }
    if (!ok)
        LogBadValue(GetClass(), name, value);
}

void CControlUI::SetAttributeList(const std::wstring& list)
{
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    if (!attr::ParseAttributeList(list, pairs))
        attr::LogBadValue(GetClass(), L"attribute list", list);
    for (const auto& [k, v] : pairs)
        SetAttribute(k, v);
}

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init)
{
    if (m_pManager && m_pManager != manager)
        m_pManager->ReapObjects(this);
    m_pManager = manager;
    m_pParent = parent;
    if (m_pManager && init)
        m_pManager->InitControl(this);
}

CControlUI* CControlUI::FindSubControl(const std::wstring& name)
{
    return FindInSubtree(name);
}

CControlUI* CControlUI::FindInSubtree(const std::wstring& name)
{
    return name == m_sName ? this : nullptr;
}

CControlUI* CControlUI::FindControlAt(POINT pt)
{
    if (!m_bVisible || !m_bMouseEnabled || !m_rcItem.Contains(pt))
        return nullptr;
    return this;
}

void CControlUI::ForEach(const std::function<void(CControlUI*)>& fn)
{
    fn(this);
}

bool CControlUI::SetTimer(unsigned id, unsigned elapseMs)
{
    return m_pManager && m_pManager->SetTimer(this, id, elapseMs);
}

void CControlUI::KillTimer(unsigned id)
{
    if (m_pManager)
        m_pManager->KillTimer(this, id);
}

void CControlUI::KillTimers()
{
    if (m_pManager)
        m_pManager->KillTimer(this);
}

void CControlUI::Invalidate()
{
    if (m_pManager && m_bVisible)
        m_pManager->Invalidate(m_rcItem);
}

void CControlUI::NeedUpdate()
{
    m_bUpdateNeeded = true;
    // The ancestors learn that something below them waits for a layout, so
    // the next paint finds it without walking the whole tree.
    for (CControlUI* p = m_pParent; p && !p->m_bSubtreeUpdateNeeded; p = p->m_pParent)
        p->m_bSubtreeUpdateNeeded = true;
    if (m_pManager)
        m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate()
{
    if (m_pParent)
        m_pParent->NeedUpdate();
    else
        NeedUpdate();
}

bool CControlUI::Activate()
{
    return m_bVisible && m_bEnabled;
}

void CControlUI::DoEvent(TEventUI& event)
{
    switch (event.Type) {
    case UIEVENT_SCROLLWHEEL:
        if (m_pParent)
            m_pParent->DoEvent(event);
        break;
    case UIEVENT_SETFOCUS:
        m_bFocused = true;
        Invalidate();
        break;
    case UIEVENT_KILLFOCUS:
        m_bFocused = false;
        Invalidate();
        break;
    default:
        break;
    }
}

void CControlUI::DoPaint(CRenderContext& ctx, const RECT& rcPaint)
{
    if (!m_rcItem.Intersects(rcPaint))
        return;
    QPainter& p = ctx.painter;
    p.save();
    p.setClipRect(render::ToQRect(m_rcItem.Intersected(rcPaint)), Qt::IntersectClip);
    PaintBkColor(ctx);
    PaintBkImage(ctx);
    PaintStatusImage(ctx);
    PaintText(ctx);
    PaintBorder(ctx);
    p.restore();
}

void CControlUI::PaintBkColor(CRenderContext& ctx)
{
    if (m_dwBkColor == 0)
        return;
    if (m_dwBkColor2 != 0)
        render::FillGradient(ctx.painter, m_rcItem, m_dwBkColor, m_dwBkColor2);
    else
        render::FillRect(ctx.painter, m_rcItem, m_dwBkColor, m_cxyBorderRound);
}

void CControlUI::PaintBkImage(CRenderContext& ctx)
{
    DrawImage(ctx, m_sBkImage);
}

void CControlUI::PaintStatusImage(CRenderContext& ctx)
{
    if (!m_bEnabled && !m_sDisabledImage.empty())
        DrawImage(ctx, m_sDisabledImage);
    DrawImage(ctx, m_sForeImage);
}

void CControlUI::PaintText(CRenderContext&) {}

void CControlUI::PaintBorder(CRenderContext& ctx)
{
    std::uint32_t color = (m_bFocused && m_dwFocusBorderColor) ? m_dwFocusBorderColor : m_dwBorderColor;
    if (m_nBorderSize > 0 && color != 0)
        render::DrawBorder(ctx.painter, m_rcItem, m_nBorderSize, color, m_cxyBorderRound);
}

bool CControlUI::DrawImage(CRenderContext& ctx, const std::wstring& image)
{
    if (image.empty())
        return false;
    return render::DrawImage(ctx.painter, ctx.manager, m_rcItem, image);
}

RECT CControlUI::TextRect() const
{
    RECT rc = m_rcItem;
    rc.left += m_rcTextPadding.left;
    rc.top += m_rcTextPadding.top;
    rc.right -= m_rcTextPadding.right;
    rc.bottom -= m_rcTextPadding.bottom;
    return rc;
}

}  // namespace DuiLib
