#pragma once

#include <memory>
#include <string>

#include "ui/UIList.h"
#include "ui/UIVerticalLayout.h"

namespace DuiLib {

// A node of a tree view: a caption row and, when expanded, its child nodes
// below it, indented.
class CTreeNodeUI : public CVerticalLayoutUI, public IListItemUI {
public:
    CTreeNodeUI();
    std::wstring GetClass() const override;

    // Child nodes (added controls that are not nodes are ignored).
    CControlUI* Add(std::unique_ptr<CControlUI> control) override;
    CTreeNodeUI* AddChildNode(std::unique_ptr<CTreeNodeUI> node);
    int GetChildCount() const { return GetCount(); }
    CTreeNodeUI* GetChildNode(int index) const;
    CTreeNodeUI* GetParentNode() const;
    bool IsExpanded() const { return m_bExpanded; }
    void SetExpanded(bool expanded = true);
    std::wstring GetItemText() const { return m_sText; }
    void SetItemText(const std::wstring& text) { SetText(text); }

    int GetIndex() const override { return m_iIndex; }
    void SetIndex(int index) override { m_iIndex = index; }
    CListUI* GetOwner() const override { return m_pOwner; }
    void SetOwner(CListUI* owner) override { m_pOwner = owner; }
    bool IsSelected() const override { return m_bSelected; }
    bool Select(bool select = true) override;

    SIZE EstimateSize(SIZE available) override;
    void SetPos(const RECT& rc) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void DoEvent(TEventUI& event) override;

protected:
    void PaintText(CRenderContext& ctx) override;
    void PaintBkColor(CRenderContext& ctx) override;
    RECT CaptionRect() const;

    int m_iIndex = -1;
    CListUI* m_pOwner = nullptr;
    bool m_bSelected = false;
    bool m_bExpanded = true;
    int m_captionHeight = 24;
    int m_indent = 16;
};

} // namespace DuiLib
