#include "ui/UILayout.h"

#include <algorithm>

#include "ui/UIManager.h"
#include "ui/internal/Attr.h"
#include "ui/internal/Render.h"

namespace DuiLib {

namespace {

int Clamp(int v, int lo, int hi)
{
    if (hi < lo)
        hi = lo;
    return std::clamp(v, lo, hi);
}

// childalign / childvalign: the part of an align value for the cross axis.
void SetCrossAlign(CControlUI* self, const std::wstring& name, const std::wstring& value, unsigned mask,
                   unsigned& target)
{
    unsigned style = 0;
    if (attr::ParseAlign(value, style))
        target = style & mask;
    else
        attr::LogBadValue(self->GetClass(), name, value);
    self->NeedUpdate();
}

}  // namespace

// ---------------------------------------------------------------- stacking

void CContainerUI::StackChildren(bool vertical, unsigned crossAlign)
{
    // One axis is the one children follow each other on ("main"), the other
    // the one they fill or are aligned on ("cross").
    auto mainOf = [vertical](SIZE s) { return vertical ? s.cy : s.cx; };
    auto crossOf = [vertical](SIZE s) { return vertical ? s.cx : s.cy; };
    auto minMain = [vertical](CControlUI* c) { return vertical ? c->GetMinHeight() : c->GetMinWidth(); };
    auto maxMain = [vertical](CControlUI* c) { return vertical ? c->GetMaxHeight() : c->GetMaxWidth(); };
    auto minCross = [vertical](CControlUI* c) { return vertical ? c->GetMinWidth() : c->GetMinHeight(); };
    auto maxCross = [vertical](CControlUI* c) { return vertical ? c->GetMaxWidth() : c->GetMaxHeight(); };
    auto padMain = [vertical](const RECT& p) { return vertical ? p.top + p.bottom : p.left + p.right; };
    auto padMainBefore = [vertical](const RECT& p) { return vertical ? p.top : p.left; };
    auto padCross = [vertical](const RECT& p) { return vertical ? p.left + p.right : p.top + p.bottom; };
    auto padCrossBefore = [vertical](const RECT& p) { return vertical ? p.left : p.top; };
    const bool centre = vertical ? (crossAlign & DT_CENTER) : (crossAlign & DT_VCENTER);
    const bool atEnd = vertical ? (crossAlign & DT_RIGHT) : (crossAlign & DT_BOTTOM);

    for (int pass = 0; pass < 2; ++pass) {
        RECT content = ContentRect();
        SIZE available{content.Width(), content.Height()};
        int adjustable = 0;
        int fixedTotal = 0;
        int visibleCount = 0;
        for (auto& item : m_items) {
            if (!item->IsVisible() || item->IsFloat())
                continue;
            ++visibleCount;
            int m = mainOf(item->EstimateSize(available));
            if (m == 0) {
                ++adjustable;
                fixedTotal += minMain(item.get());
            } else {
                fixedTotal += Clamp(m, minMain(item.get()), maxMain(item.get()));
            }
            fixedTotal += padMain(item->GetPadding());
        }
        if (visibleCount > 1)
            fixedTotal += (visibleCount - 1) * m_iChildPadding;
        const int space = std::max(0, mainOf(available) - fixedTotal);
        int usedAdjustable = 0;
        int seenAdjustable = 0;
        int pos = vertical ? content.top - m_scrollY : content.left - m_scrollX;
        const int crossStart = vertical ? content.left - m_scrollX : content.top - m_scrollY;
        int required = 0;
        for (auto& item : m_items) {
            if (!item->IsVisible())
                continue;
            if (item->IsFloat()) {
                SetFloatPos(item.get());
                continue;
            }
            SIZE sz = item->EstimateSize(available);
            const RECT& pad = item->GetPadding();
            int m;
            if (mainOf(sz) == 0) {
                // What is left is shared by the adjustable ones still to come,
                // so a child held by its maximum leaves its share to them.
                int share = (space - usedAdjustable) / (adjustable - seenAdjustable);
                ++seenAdjustable;
                m = Clamp(minMain(item.get()) + share, minMain(item.get()), maxMain(item.get()));
                usedAdjustable += m - minMain(item.get());
            } else {
                m = Clamp(mainOf(sz), minMain(item.get()), maxMain(item.get()));
            }
            int full = crossOf(available) - padCross(pad);
            int c = crossOf(sz) == 0 ? full : crossOf(sz);
            c = Clamp(c, minCross(item.get()), maxCross(item.get()));
            int at = crossStart + padCrossBefore(pad);
            if (crossOf(sz) != 0 && c < full) {
                if (centre)
                    at += (full - c) / 2;
                else if (atEnd)
                    at += full - c;
            }
            int start = pos + padMainBefore(pad);
            item->SetPos(vertical ? RECT{at, start, at + c, start + m} : RECT{start, at, start + m, at + c});
            pos += m + padMain(pad) + m_iChildPadding;
            required += m + padMain(pad) + m_iChildPadding;
        }
        if (required > 0)
            required -= m_iChildPadding;
        if (!ProcessScrollBar(content, vertical ? 0 : required, vertical ? required : 0))
            break;
    }
}

// ---------------------------------------------------------------- vertical

std::wstring CVerticalLayoutUI::GetClass() const
{
    return L"VerticalLayoutUI";
}

void CVerticalLayoutUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    if (name == L"childalign")
        SetCrossAlign(this, name, value, DT_CENTER | DT_RIGHT, m_childAlign);
    else
        CContainerUI::SetAttribute(name, value);
}

void CVerticalLayoutUI::SetPos(const RECT& rc)
{
    CControlUI::SetPos(rc);
    StackChildren(true, m_childAlign);
}

// ---------------------------------------------------------------- horizontal

std::wstring CHorizontalLayoutUI::GetClass() const
{
    return L"HorizontalLayoutUI";
}

void CHorizontalLayoutUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    if (name == L"childvalign")
        SetCrossAlign(this, name, value, DT_VCENTER | DT_BOTTOM | DT_TOP, m_childVAlign);
    else
        CContainerUI::SetAttribute(name, value);
}

void CHorizontalLayoutUI::SetPos(const RECT& rc)
{
    CControlUI::SetPos(rc);
    StackChildren(false, m_childVAlign);
}

// ---------------------------------------------------------------- tab

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
            m_pManager->SendNotify(this, DUI_MSGTYPE_TABSELECT, static_cast<WPARAM>(index),
                                   static_cast<LPARAM>(old));
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
        RECT r{content.left + pad.left, content.top + pad.top, content.right - pad.right,
               content.bottom - pad.bottom};
        item->SetPos(r);
    }
}

// ---------------------------------------------------------------- tile

std::wstring CTileLayoutUI::GetClass() const
{
    return L"TileLayoutUI";
}

void CTileLayoutUI::SetItemSize(SIZE size)
{
    if (size.cx < 0 || size.cy < 0)
        return;
    m_szItem = size;
    NeedUpdate();
}

void CTileLayoutUI::SetColumns(int columns)
{
    if (columns < 0)
        return;
    m_nColumns = columns;
    NeedUpdate();
}

int CTileLayoutUI::GetActualColumns() const
{
    return m_nActualColumns;
}

void CTileLayoutUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    if (name == L"itemsize") {
        SIZE sz;
        if (attr::ParseSize(value, sz) && sz.cx >= 0 && sz.cy >= 0)
            SetItemSize(sz);
        else
            attr::LogBadValue(GetClass(), name, value);
        return;
    }
    if (name == L"columns") {
        int i = 0;
        if (attr::ParseInt(value, i) && i >= 0)
            SetColumns(i);
        else
            attr::LogBadValue(GetClass(), name, value);
        return;
    }
    CContainerUI::SetAttribute(name, value);
}

void CTileLayoutUI::SetPos(const RECT& rc)
{
    CControlUI::SetPos(rc);
    for (int pass = 0; pass < 2; ++pass) {
        RECT content = ContentRect();
        int width = content.Width();
        int columns;
        if (m_szItem.cx > 0)
            columns = std::max(1, width / m_szItem.cx);
        else
            columns = std::max(1, m_nColumns);
        m_nActualColumns = columns;
        int cellWidth = columns > 0 ? width / columns : width;
        if (m_szItem.cx <= 0)
            cellWidth = std::max(0, (width - (columns - 1) * m_iChildPadding) / columns);
        // Cells childpadding apart where the row has room for it, else spread.
        const bool packed = m_szItem.cx > 0 && columns * (m_szItem.cx + m_iChildPadding) - m_iChildPadding <= width;
        int y = content.top - m_scrollY;
        int column = 0;
        int rowHeight = 0;
        int required = 0;
        for (auto& item : m_items) {
            if (!item->IsVisible())
                continue;
            if (item->IsFloat()) {
                SetFloatPos(item.get());
                continue;
            }
            SIZE sz = item->EstimateSize(SIZE{cellWidth, content.Height()});
            int w = m_szItem.cx > 0 ? (sz.cx > 0 ? sz.cx : m_szItem.cx) : (sz.cx > 0 ? sz.cx : cellWidth);
            int h = m_szItem.cy > 0 ? m_szItem.cy : (sz.cy > 0 ? sz.cy : cellWidth);
            const RECT& pad = item->GetPadding();
            int x;
            if (m_szItem.cx <= 0) {
                x = content.left - m_scrollX + column * (cellWidth + m_iChildPadding) + pad.left;
            } else if (packed) {
                x = content.left - m_scrollX + column * (m_szItem.cx + m_iChildPadding) + pad.left;
            } else {
                int cellLeft = content.left - m_scrollX + column * cellWidth;
                x = cellLeft + std::max(0, (cellWidth - w) / 2);
            }
            RECT r{x, y + pad.top, x + w, y + pad.top + h};
            item->SetPos(r);
            rowHeight = std::max(rowHeight, h + pad.top + pad.bottom);
            if (++column >= columns) {
                column = 0;
                y += rowHeight + m_iChildPadding;
                required += rowHeight + m_iChildPadding;
                rowHeight = 0;
            }
        }
        if (column > 0)
            required += rowHeight;
        else if (required > 0)
            required -= m_iChildPadding;
        if (!ProcessScrollBar(content, 0, required))
            break;
    }
}

}  // namespace DuiLib
