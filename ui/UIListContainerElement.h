#pragma once

#include <string>

#include "ui/UIHorizontalLayout.h"
#include "ui/UIListItem.h"

namespace DuiLib {

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

} // namespace DuiLib
