#include "ui/UITabLayout.h"

#include <algorithm>

#include "ui/UIManager.h"
#include "ui/internal/Attr.h"

namespace DuiLib {

std::wstring CTabLayoutUI::GetClass() const
{
    return L"TabLayoutUI";
}

void CTabLayoutUI::ShowOnly(int index)
{
    for (int i = 0; i < static_cast<int>(m_items.size()); ++i)
        m_items[static_cast<std::size_t>(i)]->SetVisible(i == index);
}

CControlUI* CTabLayoutUI::Add(std::unique_ptr<CControlUI> control)
{
    return AddAt(std::move(control), static_cast<int>(m_items.size()));
}

CControlUI* CTabLayoutUI::AddAt(std::unique_ptr<CControlUI> control, int index)
{
    CControlUI* raw = CContainerUI::AddAt(std::move(control), index);
    if (!raw)
        return nullptr;
    int at = GetItemIndex(raw);
    if (m_iCurSel >= at && m_iCurSel >= 0 && m_iCurSel < static_cast<int>(m_items.size()) - 1)
        ++m_iCurSel;
    if (m_iCurSel < 0) {
        int wanted = m_iWanted >= 0 ? m_iWanted : 0;
        if (wanted < static_cast<int>(m_items.size()))
            m_iCurSel = wanted;
    }
    ShowOnly(m_iCurSel);
    return raw;
}

bool CTabLayoutUI::Remove(CControlUI* control)
{
    int index = GetItemIndex(control);
    if (index < 0)
        return false;
    bool ok = CContainerUI::Remove(control);
    int count = static_cast<int>(m_items.size());
    if (count == 0) {
        m_iCurSel = -1;
    } else if (index == m_iCurSel) {
        m_iCurSel = std::min(index, count - 1);
        ShowOnly(m_iCurSel);
    } else if (index < m_iCurSel) {
        --m_iCurSel;
    }
    return ok;
}

void CTabLayoutUI::RemoveAll()
{
    CContainerUI::RemoveAll();
    m_iCurSel = -1;
}

bool CTabLayoutUI::SelectItem(int index, bool triggerEvent)
{
    if (index < 0 || index >= static_cast<int>(m_items.size())) {
        if (m_items.empty() && index >= 0)
            m_iWanted = index;
        return false;
    }
    if (index == m_iCurSel)
        return true;
    int old = m_iCurSel;
    m_iCurSel = index;
    ShowOnly(index);
    NeedUpdate();
    if (m_pManager) {
        CControlUI* focus = m_pManager->GetFocus();
        if (focus && !focus->IsVisibleInTree())
            m_pManager->SetFocus(nullptr);
        if (triggerEvent)
            m_pManager->SendNotify(
                this, DUI_MSGTYPE_TABSELECT, static_cast<WPARAM>(index), static_cast<LPARAM>(old));
    }
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control, bool triggerEvent)
{
    int index = GetItemIndex(control);
    return index >= 0 && SelectItem(index, triggerEvent);
}

void CTabLayoutUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    if (name == L"selectedid") {
        int i = 0;
        if (attr::ParseInt(value, i) && i >= 0) {
            m_iWanted = i;
            if (!m_items.empty())
                SelectItem(i, false);
        } else {
            attr::LogBadValue(GetClass(), name, value);
        }
        return;
    }
    CContainerUI::SetAttribute(name, value);
}

void CTabLayoutUI::SetPos(const RECT& rc)
{
    CControlUI::SetPos(rc);
    RECT content = ContentRect();
    for (auto& item : m_items) {
        if (!item->IsVisible())
            continue;
        if (item->IsFloat()) {
            SetFloatPos(item.get());
            continue;
        }
        const RECT& pad = item->GetPadding();
        RECT r { content.left + pad.left, content.top + pad.top, content.right - pad.right,
            content.bottom - pad.bottom };
        item->SetPos(r);
    }
}

} // namespace DuiLib
