#include "ui/UIList.h"

#include <algorithm>

#include "ui/UIManager.h"
#include "ui/internal/Attr.h"
#include "ui/internal/Render.h"

namespace DuiLib {

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
        m_pManager->SendNotify(
            this, DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(index), static_cast<LPARAM>(old));
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
            m_info.uTextStyle
                = b ? (m_info.uTextStyle | DT_END_ELLIPSIS) : (m_info.uTextStyle & ~DT_END_ELLIPSIS);
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
    } else if (name == L"itemshowrowline" || name == L"itemshowcolumnline" || name == L"multiexpanding"
        || name == L"itemcolumncolor") {
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

} // namespace DuiLib
