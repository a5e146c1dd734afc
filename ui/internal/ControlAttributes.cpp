// The markup attributes every control understands (skin XML and
// SetAttributeList), by name.
#include <unordered_map>
#include <utility>
#include <vector>

#include "ui/UIControl.h"
#include "ui/internal/Attr.h"

namespace DuiLib {

namespace {

    enum class Attr {
        Name,
        Text,
        ToolTip,
        UserData,
        Tag,
        Visible,
        Enabled,
        Mouse,
        Keyboard,
        Float,
        Pos,
        Padding,
        Width,
        Height,
        MinWidth,
        MinHeight,
        MaxWidth,
        MaxHeight,
        BkColor,
        BkColor2,
        BorderColor,
        FocusBorderColor,
        BorderSize,
        BorderRound,
        BkImage,
        ForeImage,
        DisabledImage,
        Font,
        TextColor,
        DisabledTextColor,
        Align,
        TextPadding,
        ShowHtml,
        EndEllipsis,
        MultiLine,
        FloatAlign,
        Ignored
    };

    // One lookup instead of a chain of comparisons: a page builds thousands of controls.
    bool AttrOf(const std::wstring& name, Attr& out)
    {
        static const std::unordered_map<std::wstring, Attr> map = {
            { L"name", Attr::Name },
            { L"text", Attr::Text },
            { L"tooltip", Attr::ToolTip },
            { L"userdata", Attr::UserData },
            { L"tag", Attr::Tag },
            { L"visible", Attr::Visible },
            { L"enabled", Attr::Enabled },
            { L"mouse", Attr::Mouse },
            { L"keyboard", Attr::Keyboard },
            { L"float", Attr::Float },
            { L"floatalign", Attr::FloatAlign },
            { L"pos", Attr::Pos },
            { L"padding", Attr::Padding },
            { L"width", Attr::Width },
            { L"height", Attr::Height },
            { L"minwidth", Attr::MinWidth },
            { L"minheight", Attr::MinHeight },
            { L"maxwidth", Attr::MaxWidth },
            { L"maxheight", Attr::MaxHeight },
            { L"bkcolor", Attr::BkColor },
            { L"bkcolor1", Attr::BkColor },
            { L"bkcolor2", Attr::BkColor2 },
            { L"bordercolor", Attr::BorderColor },
            { L"focusbordercolor", Attr::FocusBorderColor },
            { L"bordersize", Attr::BorderSize },
            { L"borderround", Attr::BorderRound },
            { L"bkimage", Attr::BkImage },
            { L"foreimage", Attr::ForeImage },
            { L"disabledimage", Attr::DisabledImage },
            { L"font", Attr::Font },
            { L"textcolor", Attr::TextColor },
            { L"disabledtextcolor", Attr::DisabledTextColor },
            { L"align", Attr::Align },
            { L"valign", Attr::Align },
            { L"textpadding", Attr::TextPadding },
            { L"showhtml", Attr::ShowHtml },
            { L"endellipsis", Attr::EndEllipsis },
            { L"multiline", Attr::MultiLine },
            { L"wordbreak", Attr::MultiLine },
            // Accepted and ignored: no meaning on this backend.
            { L"cursor", Attr::Ignored },
            { L"menu", Attr::Ignored },
            { L"shortcut", Attr::Ignored },
            { L"virtualwnd", Attr::Ignored },
            { L"autocalcwidth", Attr::Ignored },
        };
        auto it = map.find(name);
        if (it == map.end())
            return false;
        out = it->second;
        return true;
    }

} // namespace

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
    case Attr::Name:
        SetName(value);
        break;
    case Attr::Text:
        SetText(value);
        break;
    case Attr::ToolTip:
        SetToolTip(value);
        break;
    case Attr::UserData:
        SetUserData(value);
        break;
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
    case Attr::BkImage:
        SetBkImage(value);
        break;
    case Attr::ForeImage:
        SetForeImage(value);
        break;
    case Attr::DisabledImage:
        SetDisabledImage(value);
        break;
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
    case Attr::Ignored:
        break;
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

} // namespace DuiLib
