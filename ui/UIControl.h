#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ui/UIDefs.h"
#include "ui/UIEvent.h"
#include "ui/UIPoint.h"
#include "ui/UIRect.h"
#include "ui/UISize.h"

namespace DuiLib {

class CContainerUI;
class CPaintManagerUI;
class CRenderContext; // the painter handed to DoPaint (internal to the engine)

// The base of every control: a rectangle in the window with a name, texts,
// images, colours and the state every control shares. Owned by its parent
// container (or by whoever built it until it is added).
class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual std::wstring GetClass() const;
    const std::wstring& GetName() const { return m_sName; }
    void SetName(const std::wstring& name);

    virtual std::wstring GetText() const;
    virtual void SetText(const std::wstring& text);
    const std::wstring& GetToolTip() const { return m_sToolTip; }
    void SetToolTip(const std::wstring& text) { m_sToolTip = text; }
    const std::wstring& GetUserData() const { return m_sUserData; }
    void SetUserData(const std::wstring& text) { m_sUserData = text; }
    std::uintptr_t GetTag() const { return m_tag; }
    void SetTag(std::uintptr_t tag) { m_tag = tag; }

    bool IsVisible() const { return m_bVisible; }
    virtual void SetVisible(bool visible = true);
    // Visible and every ancestor visible.
    bool IsVisibleInTree() const;
    bool IsEnabled() const { return m_bEnabled; }
    virtual void SetEnabled(bool enabled = true);
    bool IsMouseEnabled() const { return m_bMouseEnabled; }
    virtual void SetMouseEnabled(bool enabled = true) { m_bMouseEnabled = enabled; }
    bool IsKeyboardEnabled() const { return m_bKeyboardEnabled; }
    void SetKeyboardEnabled(bool enabled = true) { m_bKeyboardEnabled = enabled; }
    // Whether Tab and clicks give this control the keyboard focus.
    virtual bool IsFocusable() const { return false; }
    bool IsFocused() const { return m_bFocused; }
    virtual void SetFocus();

    // Images as image attribute text ("img/x.png" or "file='..' dest='..'").
    const std::wstring& GetBkImage() const { return m_sBkImage; }
    void SetBkImage(const std::wstring& image);
    const std::wstring& GetForeImage() const { return m_sForeImage; }
    void SetForeImage(const std::wstring& image);
    const std::wstring& GetDisabledImage() const { return m_sDisabledImage; }
    void SetDisabledImage(const std::wstring& image);

    std::uint32_t GetBkColor() const { return m_dwBkColor; }
    void SetBkColor(std::uint32_t argb);
    void SetBorderColor(std::uint32_t argb);
    void SetBorderSize(int size);

    // Text appearance (drawn by the text-drawing controls).
    int GetFont() const { return m_iFont; }
    void SetFont(int id);
    std::uint32_t GetTextColor() const { return m_dwTextColor; }
    void SetTextColor(std::uint32_t argb);
    unsigned GetTextStyle() const { return m_uTextStyle; }
    void SetTextStyle(unsigned style);
    bool IsShowHtml() const { return m_bShowHtml; }
    void SetShowHtml(bool on = true);

    // Geometry. GetPos is the laid-out rectangle in window coordinates.
    const RECT& GetPos() const { return m_rcItem; }
    virtual void SetPos(const RECT& rc);
    // Shifts this control and its children (scrolling) without a new layout.
    virtual void Move(int dx, int dy);
    int GetWidth() const { return m_rcItem.Width(); }
    int GetHeight() const { return m_rcItem.Height(); }
    const RECT& GetPadding() const { return m_rcPadding; }
    void SetPadding(const RECT& rc);
    bool IsFloat() const { return m_bFloat; }
    void SetFloat(bool on = true);
    // For floating controls: the position relative to the parent.
    const RECT& GetFloatPos() const { return m_rcFloat; }
    // floatalign="right" / "bottom": pos counts from the parent's right or
    // bottom edge (pos="-160,0,0,30" is the top right 160 x 30), so the
    // control follows a window that is resized.
    bool IsFloatRight() const { return m_floatRight; }
    bool IsFloatBottom() const { return m_floatBottom; }
    void SetFloatPos(const RECT& rc);
    int GetFixedWidth() const { return m_cxyFixed.cx; }
    void SetFixedWidth(int cx);
    int GetFixedHeight() const { return m_cxyFixed.cy; }
    void SetFixedHeight(int cy);
    int GetMinWidth() const { return m_cxyMin.cx; }
    void SetMinWidth(int cx);
    int GetMaxWidth() const { return m_cxyMax.cx; }
    void SetMaxWidth(int cx);
    int GetMinHeight() const { return m_cxyMin.cy; }
    void SetMinHeight(int cy);
    int GetMaxHeight() const { return m_cxyMax.cy; }
    void SetMaxHeight(int cy);
    // The size the layout should give this control (0 = take what is left).
    virtual SIZE EstimateSize(SIZE available);

    // Markup attributes. Unknown names and malformed values are logged and
    // skipped; the control keeps its previous state.
    virtual void SetAttribute(const std::wstring& name, const std::wstring& value);
    // `name="value" name2="value2"` as in Default entries.
    void SetAttributeList(const std::wstring& list);

    CControlUI* GetParent() const { return m_pParent; }
    CPaintManagerUI* GetManager() const { return m_pManager; }
    // Attaches this control (and its children) to a window's manager.
    virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true);

    // Finds a named control in this control's subtree (this one included).
    virtual CControlUI* FindSubControl(const std::wstring& name);
    template <class T> T* FindSubControlAs(const std::wstring& name)
    {
        return dynamic_cast<T*>(FindSubControl(name));
    }
    // The topmost visible control under pt that takes mouse input.
    virtual CControlUI* FindControlAt(POINT pt);
    // Calls fn for this control and every descendant (depth first, in order).
    virtual void ForEach(const std::function<void(CControlUI*)>& fn);

    // Timers owned by this control ("timer" notifications, wParam = id).
    bool SetTimer(unsigned id, unsigned elapseMs);
    void KillTimer(unsigned id);
    void KillTimers();

    void Invalidate();
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    // Some control below this one needs a new layout.
    bool IsSubtreeUpdateNeeded() const { return m_bSubtreeUpdateNeeded; }
    void ClearSubtreeUpdate() { m_bSubtreeUpdateNeeded = false; }
    void NeedUpdate();
    void NeedParentUpdate();

    // Clicks, key presses: the action of the control. Returns false when it
    // may not act (disabled, invisible).
    virtual bool Activate();
    virtual void DoEvent(TEventUI& event);
    virtual void DoPaint(CRenderContext& ctx, const RECT& rcPaint);

protected:
    friend class CContainerUI;
    friend class CPaintManagerUI;
    // The search below FindSubControl, which a container runs in its
    // children: it looks only at what exists, so a search from above makes
    // no lazy container build its parts.
    virtual CControlUI* FindInSubtree(const std::wstring& name);
    virtual void PaintBkColor(CRenderContext& ctx);
    virtual void PaintBkImage(CRenderContext& ctx);
    virtual void PaintStatusImage(CRenderContext& ctx);
    virtual void PaintText(CRenderContext& ctx);
    virtual void PaintBorder(CRenderContext& ctx);
    bool DrawImage(CRenderContext& ctx, const std::wstring& image);
    // The rectangle text is drawn in (item rect less textpadding).
    RECT TextRect() const;
    void SetParent(CControlUI* parent) { m_pParent = parent; }

    CPaintManagerUI* m_pManager = nullptr;
    CControlUI* m_pParent = nullptr;
    std::wstring m_sName;
    std::wstring m_sText;
    std::wstring m_sToolTip;
    std::wstring m_sUserData;
    std::uintptr_t m_tag = 0;
    bool m_bVisible = true;
    bool m_bEnabled = true;
    bool m_bMouseEnabled = true;
    bool m_bKeyboardEnabled = true;
    bool m_bFocused = false;
    bool m_bFloat = false;
    bool m_bUpdateNeeded = true;
    bool m_bSubtreeUpdateNeeded = false;
    bool m_bShowHtml = false;
    RECT m_rcItem;
    RECT m_rcPadding;
    RECT m_rcFloat;
    bool m_floatRight = false;
    bool m_floatBottom = false;
    RECT m_rcTextPadding;
    SIZE m_cxyFixed;
    SIZE m_cxyMin;
    SIZE m_cxyMax { 9999, 9999 };
    std::uint32_t m_dwBkColor = 0;
    std::uint32_t m_dwBkColor2 = 0;
    std::uint32_t m_dwBorderColor = 0;
    std::uint32_t m_dwFocusBorderColor = 0;
    int m_nBorderSize = 0;
    SIZE m_cxyBorderRound;
    std::wstring m_sBkImage;
    std::wstring m_sForeImage;
    std::wstring m_sDisabledImage;
    int m_iFont = -1;
    std::uint32_t m_dwTextColor = 0;
    std::uint32_t m_dwDisabledTextColor = 0;
    unsigned m_uTextStyle = DT_VCENTER | DT_SINGLELINE;
};

} // namespace DuiLib
