#pragma once

#include <memory>
#include <string>

#include "ui/UIListHeader.h"
#include "ui/UIListInfo.h"
#include "ui/UIVerticalLayout.h"
// The header items and the row types, for the callers that build lists.
#include "ui/UIListContainerElement.h"
#include "ui/UIListHeaderItem.h"
#include "ui/UIListItem.h"
#include "ui/UIListLabelElement.h"
#include "ui/UIListTextElement.h"

namespace DuiLib {

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

} // namespace DuiLib
