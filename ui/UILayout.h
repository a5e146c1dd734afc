#pragma once

#include "ui/UIContainer.h"

namespace DuiLib {

// Stacks children top to bottom: fixed heights first, the rest shared.
// childalign="left|center|right" places children narrower than the layout.
class CVerticalLayoutUI : public CContainerUI {
public:
    std::wstring GetClass() const override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void SetPos(const RECT& rc) override;

protected:
    unsigned m_childAlign = DT_LEFT;
};

// Stacks children left to right: fixed widths first, the rest shared.
// childvalign="top|vcenter|bottom" places children lower than the layout.
class CHorizontalLayoutUI : public CContainerUI {
public:
    std::wstring GetClass() const override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void SetPos(const RECT& rc) override;

protected:
    unsigned m_childVAlign = DT_TOP;
};

// Shows one child at a time. SelectItem sends "tabselect" (wParam the new
// page, lParam the old one) when the shown page changes.
class CTabLayoutUI : public CContainerUI {
public:
    std::wstring GetClass() const override;
    CControlUI* Add(std::unique_ptr<CControlUI> control) override;
    CControlUI* AddAt(std::unique_ptr<CControlUI> control, int index) override;
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;
    int GetCurSel() const { return m_iCurSel; }
    bool SelectItem(int index, bool triggerEvent = true);
    bool SelectItem(CControlUI* control, bool triggerEvent = true);
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void SetPos(const RECT& rc) override;

protected:
    void ShowOnly(int index);
    int m_iCurSel = -1;
    int m_iWanted = -1;  // selectedid given before the pages exist
};

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

}  // namespace DuiLib
