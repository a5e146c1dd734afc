#pragma once

#include <cstdint>
#include <string>

#include "ui/UILabel.h"
#include "ui/UIListItem.h"

namespace DuiLib {

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

} // namespace DuiLib
