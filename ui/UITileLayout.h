#pragma once

#include <string>

#include "ui/UIContainer.h"

namespace DuiLib {

// Children in rows of cells. With itemsize the cell size is fixed and the
// number of columns is the width divided by the item width (the same rule
// SizeTileToContent uses); otherwise `columns` cells share the width. Cells
// and rows are childpadding apart; where a row has no room for the padding
// its cells are spread evenly instead.
class CTileLayoutUI : public CContainerUI {
public:
    std::wstring GetClass() const override;
    SIZE GetItemSize() const { return m_szItem; }
    void SetItemSize(SIZE size);
    int GetColumns() const { return m_nColumns; }
    void SetColumns(int columns);
    // The columns of the last layout (or those the width gives).
    int GetActualColumns() const;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void SetPos(const RECT& rc) override;

protected:
    SIZE m_szItem;
    int m_nColumns = 0;
    int m_nActualColumns = 1;
};

} // namespace DuiLib
