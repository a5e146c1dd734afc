#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/UILabel.h"
#include "ui/UILayout.h"

namespace DuiLib {

class CListUI;

// How the rows of a list draw themselves (the item* attributes of List).
struct TListInfoUI {
    int nFont = -1;
    unsigned uTextStyle = DT_VCENTER | DT_SINGLELINE | DT_LEFT;
    RECT rcTextPadding{4, 0, 4, 0};
    std::uint32_t dwTextColor = 0;
    std::uint32_t dwBkColor = 0;
    std::uint32_t dwSelectedTextColor = 0;
    std::uint32_t dwSelectedBkColor = 0;
    std::uint32_t dwHotTextColor = 0;
    std::uint32_t dwHotBkColor = 0;
    std::uint32_t dwDisabledTextColor = 0;
    std::uint32_t dwLineColor = 0;
    bool bShowHtml = false;
    bool bAlternateBk = false;  // itembkcolor on every other row only
    std::wstring sBkImage;
    std::wstring sSelectedImage;
    std::wstring sHotImage;
};

// What a row of a list is.
class IListItemUI {
public:
    virtual ~IListItemUI() = default;
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int index) = 0;
    virtual CListUI* GetOwner() const = 0;
    virtual void SetOwner(CListUI* owner) = 0;
    virtual bool IsSelected() const = 0;
    // Marks the row; Select(true) through the owner reports "itemselect".
    virtual bool Select(bool select = true) = 0;
};

// The column captions of a list.
class CListHeaderUI : public CHorizontalLayoutUI {
public:
    CListHeaderUI();
    std::wstring GetClass() const override;
    SIZE EstimateSize(SIZE available) override;
};

// One column caption; its width is the column's width.
class CListHeaderItemUI : public CLabelUI {
public:
    CListHeaderItemUI();
    std::wstring GetClass() const override;
};

// A list: an optional header and a scrolling body of rows. Add, Remove and
// the item accessors work on the rows (a ListHeader added becomes the header).
// SelectItem reports "itemselect" (wParam new row, lParam old row) when the
// selection changes.
class CListUI : public CVerticalLayoutUI {
public:
    CListUI();
    std::wstring GetClass() const override;

    CControlUI* Add(std::unique_ptr<CControlUI> control) override;
    CControlUI* AddAt(std::unique_ptr<CControlUI> control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;
    int GetCount() const override;
    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;

    CListHeaderUI* GetHeader() const { return m_pHeader; }
    CContainerUI* GetList() const { return m_pBody; }
    int GetCurSel() const { return m_iCurSel; }
    bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true);
    void EnsureVisible(int index);
    TListInfoUI* GetListInfo() { return &m_info; }

    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void DoEvent(TEventUI& event) override;
    bool IsFocusable() const override { return true; }

protected:
    void Reindex();

    CListHeaderUI* m_pHeader = nullptr;
    CContainerUI* m_pBody = nullptr;
    int m_iCurSel = -1;
    TListInfoUI m_info;
};

// A text row.
class CListLabelElementUI : public CLabelUI, public IListItemUI {
public:
    CListLabelElementUI();
    std::wstring GetClass() const override;
    int GetIndex() const override { return m_iIndex; }
    void SetIndex(int index) override { m_iIndex = index; }
    CListUI* GetOwner() const override { return m_pOwner; }
    void SetOwner(CListUI* owner) override { m_pOwner = owner; }
    bool IsSelected() const override { return m_bSelected; }
    bool Select(bool select = true) override;
    SIZE EstimateSize(SIZE available) override;
    void DoEvent(TEventUI& event) override;

protected:
    void PaintBkColor(CRenderContext& ctx) override;
    void PaintText(CRenderContext& ctx) override;
    std::uint32_t RowTextColor() const;

    int m_iIndex = -1;
    CListUI* m_pOwner = nullptr;
    bool m_bSelected = false;
    bool m_bHot = false;
};

// A row with one text per column (columns from the header's items).
class CListTextElementUI : public CListLabelElementUI {
public:
    std::wstring GetClass() const override;
    std::wstring GetText(int column) const;
    void SetText(int column, const std::wstring& text);
    using CListLabelElementUI::GetText;
    using CListLabelElementUI::SetText;

protected:
    void PaintText(CRenderContext& ctx) override;
    std::vector<std::wstring> m_texts;
};

// A row that holds controls.
class CListContainerElementUI : public CHorizontalLayoutUI, public IListItemUI {
public:
    std::wstring GetClass() const override;
    int GetIndex() const override { return m_iIndex; }
    void SetIndex(int index) override { m_iIndex = index; }
    CListUI* GetOwner() const override { return m_pOwner; }
    void SetOwner(CListUI* owner) override { m_pOwner = owner; }
    bool IsSelected() const override { return m_bSelected; }
    bool Select(bool select = true) override;
    void DoEvent(TEventUI& event) override;

protected:
    void PaintBkColor(CRenderContext& ctx) override;

    int m_iIndex = -1;
    CListUI* m_pOwner = nullptr;
    bool m_bSelected = false;
    bool m_bHot = false;
};

}  // namespace DuiLib
