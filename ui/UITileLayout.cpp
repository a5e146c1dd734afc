#include "ui/UITileLayout.h"

#include <algorithm>

#include "ui/internal/Attr.h"

namespace DuiLib {

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
        const bool packed
            = m_szItem.cx > 0 && columns * (m_szItem.cx + m_iChildPadding) - m_iChildPadding <= width;
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
            SIZE sz = item->EstimateSize(SIZE { cellWidth, content.Height() });
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
            RECT r { x, y + pad.top, x + w, y + pad.top + h };
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

} // namespace DuiLib
