#include "ui/UIList.h"

#include <algorithm>

#include "ui/UIManager.h"
#include "ui/internal/Attr.h"
#include "ui/internal/Render.h"

namespace DuiLib {

// ---------------------------------------------------------------- header

CListHeaderUI::CListHeaderUI() = default;

std::wstring CListHeaderUI::GetClass() const
{
    return L"ListHeaderUI";
}

SIZE CListHeaderUI::EstimateSize(SIZE available)
{
    SIZE sz = CHorizontalLayoutUI::EstimateSize(available);
    if (sz.cy == 0)
        sz.cy = m_pManager ? render::FontHeight(m_pManager, -1) + 8 : 24;
    return sz;
}

CListHeaderItemUI::CListHeaderItemUI()
{
    m_uTextStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}

std::wstring CListHeaderItemUI::GetClass() const
{
    return L"ListHeaderItemUI";
}

// ---------------------------------------------------------------- list

CListUI::CListUI()
{
    auto body = std::make_unique<CVerticalLayoutUI>();
    m_pBody = static_cast<CContainerUI*>(CVerticalLayoutUI::Add(std::move(body)));
}

std::wstring CListUI::GetClass() const
{
    return L"ListUI";
}

void CListUI::Reindex()
{
    for (int i = 0; i < m_pBody->GetCount(); ++i)
        if (auto* item = dynamic_cast<IListItemUI*>(m_pBody->GetItemAt(i)))
            item->SetIndex(i);
}

CControlUI* CListUI::Add(std::unique_ptr<CControlUI> control)
{
    return AddAt(std::move(control), m_pBody->GetCount());
}

CControlUI* CListUI::AddAt(std::unique_ptr<CControlUI> control, int index)
{
    if (!control)
        return nullptr;
    if (auto* header = dynamic_cast<CListHeaderUI*>(control.get())) {
        if (m_pHeader)
            CVerticalLayoutUI::Remove(m_pHeader);
        m_pHeader = header;
        return CVerticalLayoutUI::AddAt(std::move(control), 0);
    }
    if (auto* item = dynamic_cast<IListItemUI*>(control.get()))
        item->SetOwner(this);
    index = std::clamp(index, 0, m_pBody->GetCount());
    CControlUI* raw = m_pBody->AddAt(std::move(control), index);
    if (m_iCurSel >= index)
        ++m_iCurSel;
    Reindex();
    return raw;
}

bool CListUI::Remove(CControlUI* control)
{
    if (control && control == m_pHeader) {
        m_pHeader = nullptr;
        return CVerticalLayoutUI::Remove(control);
    }
    int index = m_pBody->GetItemIndex(control);
    if (index < 0)
        return false;
    if (index == m_iCurSel)
        m_iCurSel = -1;
    else if (index < m_iCurSel)
        --m_iCurSel;
    bool ok = m_pBody->Remove(control);
    Reindex();
    return ok;
}

bool CListUI::RemoveAt(int index)
{
    CControlUI* c = m_pBody->GetItemAt(index);
    return c && Remove(c);
}

void CListUI::RemoveAll()
{
    m_iCurSel = -1;
    m_pBody->RemoveAll();
}

int CListUI::GetCount() const
{
    return m_pBody->GetCount();
}

CControlUI* CListUI::GetItemAt(int index) const
{
    return m_pBody->GetItemAt(index);
}

int CListUI::GetItemIndex(CControlUI* control) const
{
    return m_pBody->GetItemIndex(control);
}

bool CListUI::SetItemIndex(CControlUI* control, int index)
{
    CControlUI* selected = m_pBody->GetItemAt(m_iCurSel);
    bool ok = m_pBody->SetItemIndex(control, index);
    Reindex();
    m_iCurSel = selected ? m_pBody->GetItemIndex(selected) : -1;
    return ok;
}

bool CListUI::SelectItem(int index, bool takeFocus, bool triggerEvent)
{
    if (index == m_iCurSel)
        return true;
    CControlUI* target = m_pBody->GetItemAt(index);
    auto* item = dynamic_cast<IListItemUI*>(target);
    if (index >= 0 && (!item || !target->IsVisible() || !target->IsEnabled()))
        return false;
    int old = m_iCurSel;
    if (auto* previous = dynamic_cast<IListItemUI*>(m_pBody->GetItemAt(old)))
        previous->Select(false);
    m_iCurSel = index;
    if (index < 0)
        return true;
    item->Select(true);
    EnsureVisible(index);
    if (takeFocus && m_pManager)
        target->SetFocus();
    if (triggerEvent && m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(index), static_cast<LPARAM>(old));
    return true;
}

void CListUI::EnsureVisible(int index)
{
    m_pBody->EnsureVisible(m_pBody->GetItemAt(index));
}

void CListUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    std::uint32_t color = 0;
    int i = 0;
    bool b = false;
    RECT rc;
    auto colorAttr = [&](std::uint32_t& target) {
        if (attr::ParseColor(value, color))
            target = color;
        else
            attr::LogBadValue(GetClass(), name, value);
    };
    if (name == L"header") {
        if (m_pHeader)
            m_pHeader->SetVisible(value != L"hidden" && value != L"false");
    } else if (name == L"itemfont") {
        if (attr::ParseInt(value, i))
            m_info.nFont = i;
        else
            attr::LogBadValue(GetClass(), name, value);
    } else if (name == L"itemalign") {
        unsigned style = m_info.uTextStyle;
        if (attr::ParseAlign(value, style))
            m_info.uTextStyle = style;
        else
            attr::LogBadValue(GetClass(), name, value);
    } else if (name == L"itemendellipsis") {
        if (attr::ParseBool(value, b))
            m_info.uTextStyle = b ? (m_info.uTextStyle | DT_END_ELLIPSIS) : (m_info.uTextStyle & ~DT_END_ELLIPSIS);
    } else if (name == L"itemtextpadding") {
        if (attr::ParseRect(value, rc))
            m_info.rcTextPadding = rc;
        else
            attr::LogBadValue(GetClass(), name, value);
    } else if (name == L"itemtextcolor") {
        colorAttr(m_info.dwTextColor);
    } else if (name == L"itembkcolor") {
        colorAttr(m_info.dwBkColor);
    } else if (name == L"itemselectedtextcolor") {
        colorAttr(m_info.dwSelectedTextColor);
    } else if (name == L"itemselectedbkcolor") {
        colorAttr(m_info.dwSelectedBkColor);
    } else if (name == L"itemhottextcolor") {
        colorAttr(m_info.dwHotTextColor);
    } else if (name == L"itemhotbkcolor") {
        colorAttr(m_info.dwHotBkColor);
    } else if (name == L"itemdisabledtextcolor") {
        colorAttr(m_info.dwDisabledTextColor);
    } else if (name == L"itemlinecolor") {
        colorAttr(m_info.dwLineColor);
    } else if (name == L"itemshowhtml") {
        if (attr::ParseBool(value, b))
            m_info.bShowHtml = b;
    } else if (name == L"itemaltbk") {
        if (attr::ParseBool(value, b))
            m_info.bAlternateBk = b;
        else
            attr::LogBadValue(GetClass(), name, value);
    } else if (name == L"itembkimage") {
        m_info.sBkImage = value;
    } else if (name == L"itemselectedimage") {
        m_info.sSelectedImage = value;
    } else if (name == L"itemhotimage") {
        m_info.sHotImage = value;
    } else if (name == L"vscrollbar" || name == L"hscrollbar") {
        m_pBody->SetAttribute(name, value);
    } else if (name == L"itemshowrowline" || name == L"itemshowcolumnline" || name == L"multiexpanding" ||
               name == L"itemcolumncolor") {
        // Accepted; rows draw their line when itemlinecolor is set.
    } else {
        CVerticalLayoutUI::SetAttribute(name, value);
    }
}

void CListUI::DoEvent(TEventUI& event)
{
    if (event.Type == UIEVENT_KEYDOWN) {
        if (event.key == UIKEY_UP && m_iCurSel > 0) {
            SelectItem(m_iCurSel - 1, true);
            return;
        }
        if (event.key == UIKEY_DOWN && m_iCurSel + 1 < GetCount()) {
            SelectItem(m_iCurSel + 1, true);
            return;
        }
    }
    CVerticalLayoutUI::DoEvent(event);
}

// ---------------------------------------------------------------- rows

namespace {

std::uint32_t RowBkColor(const TListInfoUI* info, int index, bool selected, bool hot, std::uint32_t own)
{
    if (!info)
        return own;
    if (selected && info->dwSelectedBkColor)
        return info->dwSelectedBkColor;
    if (hot && info->dwHotBkColor)
        return info->dwHotBkColor;
    if (own)
        return own;
    if (info->bAlternateBk && index % 2 != 0)
        return 0;
    return info->dwBkColor;
}

const std::wstring& RowImage(const TListInfoUI* info, bool selected, bool hot)
{
    static const std::wstring none;
    if (!info)
        return none;
    if (selected && !info->sSelectedImage.empty())
        return info->sSelectedImage;
    if (hot && !info->sHotImage.empty())
        return info->sHotImage;
    return info->sBkImage;
}

void PaintRowBackground(CRenderContext& ctx, const RECT& rc, const TListInfoUI* info, int index, bool selected,
                        bool hot, std::uint32_t own)
{
    std::uint32_t color = RowBkColor(info, index, selected, hot, own);
    if (color)
        render::FillRect(ctx.painter, rc, color);
    const std::wstring& image = RowImage(info, selected, hot);
    if (!image.empty())
        render::DrawImage(ctx.painter, ctx.manager, rc, image);
    if (info && info->dwLineColor)
        render::FillRect(ctx.painter, RECT{rc.left, rc.bottom - 1, rc.right, rc.bottom}, info->dwLineColor);
}

// A click on a row selects it (unless it lies in a row's own control).
void SelectOnPress(IListItemUI* item, CControlUI* self, const TEventUI& event)
{
    if ((event.Type == UIEVENT_BUTTONDOWN || event.Type == UIEVENT_DBLCLICK) && self->IsEnabled() &&
        item->GetOwner())
        item->GetOwner()->SelectItem(item->GetIndex(), true);
}

// Row behaviour shared by text rows and container rows: a press on the row
// itself selects it, hovering marks it, keys go to the list. True when used.
bool RowEvent(IListItemUI* item, CControlUI* self, bool& hot, TEventUI& event)
{
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (event.pSender != self)
            return false;
        SelectOnPress(item, self, event);
        return true;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        hot = event.Type == UIEVENT_MOUSEENTER;
        self->Invalidate();
        return true;
    case UIEVENT_KEYDOWN:
        if (!item->GetOwner())
            return false;
        item->GetOwner()->DoEvent(event);
        return true;
    default:
        return false;
    }
}

}  // namespace

CListLabelElementUI::CListLabelElementUI() = default;

std::wstring CListLabelElementUI::GetClass() const
{
    return L"ListLabelElementUI";
}

bool CListLabelElementUI::Select(bool select)
{
    if (m_bSelected == select)
        return true;
    m_bSelected = select;
    Invalidate();
    return true;
}

SIZE CListLabelElementUI::EstimateSize(SIZE available)
{
    SIZE sz = m_cxyFixed;
    if (sz.cy == 0) {
        int font = m_iFont >= 0 ? m_iFont : (m_pOwner ? m_pOwner->GetListInfo()->nFont : -1);
        sz.cy = (m_pManager ? render::FontHeight(m_pManager, font) : 16) + 8;
    }
    return sz;
}

void CListLabelElementUI::DoEvent(TEventUI& event)
{
    if (!RowEvent(this, this, m_bHot, event))
        CLabelUI::DoEvent(event);
}

void CListLabelElementUI::PaintBkColor(CRenderContext& ctx)
{
    PaintRowBackground(ctx, m_rcItem, m_pOwner ? m_pOwner->GetListInfo() : nullptr, m_iIndex, m_bSelected, m_bHot,
                       m_dwBkColor);
}

std::uint32_t CListLabelElementUI::RowTextColor() const
{
    const TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
    if (m_dwTextColor)
        return m_dwTextColor;
    if (info) {
        if (!m_bEnabled && info->dwDisabledTextColor)
            return info->dwDisabledTextColor;
        if (m_bSelected && info->dwSelectedTextColor)
            return info->dwSelectedTextColor;
        if (m_bHot && info->dwHotTextColor)
            return info->dwHotTextColor;
        if (info->dwTextColor)
            return info->dwTextColor;
    }
    return CurrentTextColor();
}

void CListLabelElementUI::PaintText(CRenderContext& ctx)
{
    const TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
    if (m_sText.empty())
        return;
    RECT rc = m_rcItem;
    RECT pad = info ? info->rcTextPadding : m_rcTextPadding;
    rc.left += pad.left;
    rc.right -= pad.right;
    rc.top += pad.top;
    rc.bottom -= pad.bottom;
    int font = m_iFont >= 0 ? m_iFont : (info ? info->nFont : -1);
    unsigned style = info ? info->uTextStyle : m_uTextStyle;
    if ((info && info->bShowHtml) || m_bShowHtml) {
        auto layout = render::LayoutMarkup(ctx.manager, rc, m_sText, font, RowTextColor(), style);
        render::DrawMarkup(ctx.painter, ctx.manager, layout, -1);
    } else {
        render::DrawText(ctx.painter, ctx.manager, rc, m_sText, font, RowTextColor(), style);
    }
}

std::wstring CListTextElementUI::GetClass() const
{
    return L"ListTextElementUI";
}

std::wstring CListTextElementUI::GetText(int column) const
{
    if (column < 0 || column >= static_cast<int>(m_texts.size()))
        return {};
    return m_texts[static_cast<std::size_t>(column)];
}

void CListTextElementUI::SetText(int column, const std::wstring& text)
{
    if (column < 0 || column > 255)
        return;
    if (column >= static_cast<int>(m_texts.size()))
        m_texts.resize(static_cast<std::size_t>(column) + 1);
    m_texts[static_cast<std::size_t>(column)] = text;
    Invalidate();
}

void CListTextElementUI::PaintText(CRenderContext& ctx)
{
    const TListInfoUI* info = m_pOwner ? m_pOwner->GetListInfo() : nullptr;
    CListHeaderUI* header = m_pOwner ? m_pOwner->GetHeader() : nullptr;
    int font = m_iFont >= 0 ? m_iFont : (info ? info->nFont : -1);
    unsigned style = info ? info->uTextStyle : m_uTextStyle;
    RECT pad = info ? info->rcTextPadding : m_rcTextPadding;
    int columns = header ? header->GetCount() : 1;
    for (int col = 0; col < columns && col < static_cast<int>(m_texts.size()); ++col) {
        RECT rc = m_rcItem;
        if (header) {
            CControlUI* h = header->GetItemAt(col);
            if (!h || !h->IsVisible())
                continue;
            rc.left = h->GetPos().left;
            rc.right = h->GetPos().right;
        }
        rc.left += pad.left;
        rc.right -= pad.right;
        render::DrawText(ctx.painter, ctx.manager, rc, m_texts[static_cast<std::size_t>(col)], font, RowTextColor(),
                         style);
    }
}

std::wstring CListContainerElementUI::GetClass() const
{
    return L"ListContainerElementUI";
}

bool CListContainerElementUI::Select(bool select)
{
    if (m_bSelected == select)
        return true;
    m_bSelected = select;
    Invalidate();
    return true;
}

void CListContainerElementUI::DoEvent(TEventUI& event)
{
    if (!RowEvent(this, this, m_bHot, event))
        CHorizontalLayoutUI::DoEvent(event);
}

void CListContainerElementUI::PaintBkColor(CRenderContext& ctx)
{
    PaintRowBackground(ctx, m_rcItem, m_pOwner ? m_pOwner->GetListInfo() : nullptr, m_iIndex, m_bSelected, m_bHot,
                       m_dwBkColor);
}

}  // namespace DuiLib
