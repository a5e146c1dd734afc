#pragma once

#include <memory>
#include <vector>

#include "ui/UIControl.h"

namespace DuiLib {

// A control that owns children. Add returns the raw pointer of the child it
// now owns; Remove destroys the child (its timers stop at once). The plain
// container gives every child its whole inner rectangle.
//
// Mouse input: SetMouseEnabled(false) takes only the container itself out of
// hit testing; SetMouseChildEnabled(false) makes its children inert too.
class CContainerUI : public CControlUI {
public:
    CContainerUI();
    ~CContainerUI() override;

    std::wstring GetClass() const override;

    virtual CControlUI* Add(std::unique_ptr<CControlUI> control);
    virtual CControlUI* AddAt(std::unique_ptr<CControlUI> control, int index);
    virtual bool Remove(CControlUI* control);
    virtual bool RemoveAt(int index);
    virtual void RemoveAll();
    virtual int GetCount() const;
    virtual CControlUI* GetItemAt(int index) const;
    virtual int GetItemIndex(CControlUI* control) const;
    virtual bool SetItemIndex(CControlUI* control, int index);
    // Takes a child out without destroying it.
    virtual std::unique_ptr<CControlUI> Detach(CControlUI* control);

    // The children as stored (lists keep a header and a body here).
    int GetCountRaw() const { return static_cast<int>(m_items.size()); }
    CControlUI* GetRawItemAt(int index) const;

    const RECT& GetInset() const { return m_rcInset; }
    void SetInset(const RECT& rc);
    int GetChildPadding() const { return m_iChildPadding; }
    void SetChildPadding(int padding);
    bool IsMouseChildEnabled() const { return m_bMouseChildEnabled; }
    void SetMouseChildEnabled(bool enabled = true) { m_bMouseChildEnabled = enabled; }

    // Scrolling (vscrollbar / hscrollbar).
    void EnableScrollBar(bool vertical = true, bool horizontal = false);
    bool IsVScrollBarEnabled() const { return m_bVScrollEnabled; }
    SIZE GetScrollPos() const { return { m_scrollX, m_scrollY }; }
    SIZE GetScrollRange() const { return { m_rangeX, m_rangeY }; }
    virtual void SetScrollPos(SIZE pos);
    void LineUp();
    void LineDown();
    void PageUp();
    void PageDown();
    void HomeUp();
    void EndDown();
    // Scrolls so that the child is visible.
    void EnsureVisible(CControlUI* child);

    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    void SetPos(const RECT& rc) override;
    void Move(int dx, int dy) override;
    CControlUI* FindControlAt(POINT pt) override;
    void ForEach(const std::function<void(CControlUI*)>& fn) override;
    void DoEvent(TEventUI& event) override;
    void DoPaint(CRenderContext& ctx, const RECT& rcPaint) override;
    void SetVisible(bool visible = true) override;

protected:
    CControlUI* FindInSubtree(const std::wstring& name) override;
    // The area for children: the item less inset and a shown scroll bar.
    RECT ContentRect() const;
    void SetFloatPos(CControlUI* child);
    // Lays the children out one after another (vertical or horizontal):
    // fixed sizes first, the rest shared; crossAlign places children smaller
    // than the layout across it.
    void StackChildren(bool vertical, unsigned crossAlign);
    // After a layout pass: the content size it needed. Updates the scroll
    // ranges; true when the scroll bar appeared or went, so the pass must be
    // run again with the new content width.
    bool ProcessScrollBar(const RECT& content, int cxRequired, int cyRequired);
    RECT VScrollBarRect() const;
    RECT VThumbRect() const;
    void PaintScrollBar(CRenderContext& ctx);
    int ScrollBarWidth() const;
    void OnChildAdded(CControlUI* child);

    std::vector<std::unique_ptr<CControlUI>> m_items;
    RECT m_rcInset;
    int m_iChildPadding = 0;
    bool m_bMouseChildEnabled = true;
    bool m_bVScrollEnabled = false;
    bool m_bHScrollEnabled = false;
    bool m_bVScrollShown = false;
    int m_scrollX = 0;
    int m_scrollY = 0;
    int m_rangeX = 0;
    int m_rangeY = 0;
    bool m_bThumbHot = false;
    bool m_bThumbDrag = false;
    int m_dragStartY = 0;
    int m_dragStartScroll = 0;
};

} // namespace DuiLib
