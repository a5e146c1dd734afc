#include "ui/UIContainer.h"

#include <algorithm>

#include "ui/UIManager.h"
#include "ui/internal/Attr.h"
#include "ui/internal/ManagerImpl.h"
#include "ui/internal/Render.h"

namespace DuiLib {

namespace {

    constexpr int kLineStep = 40;

    int Clamp(int v, int lo, int hi)
    {
        if (hi < lo)
            hi = lo;
        return std::clamp(v, lo, hi);
    }

} // namespace

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI()
{
    // Children go first, while this object is still whole.
    m_items.clear();
}

std::wstring CContainerUI::GetClass() const
{
    return L"ContainerUI";
}

void CContainerUI::OnChildAdded(CControlUI* child)
{
    child->SetParent(this);
    if (m_pManager)
        child->SetManager(m_pManager, this, true);
    NeedUpdate();
}

CControlUI* CContainerUI::Add(std::unique_ptr<CControlUI> control)
{
    if (!control)
        return nullptr;
    CControlUI* raw = control.get();
    m_items.push_back(std::move(control));
    OnChildAdded(raw);
    return raw;
}

CControlUI* CContainerUI::AddAt(std::unique_ptr<CControlUI> control, int index)
{
    if (!control)
        return nullptr;
    CControlUI* raw = control.get();
    index = std::clamp(index, 0, static_cast<int>(m_items.size()));
    m_items.insert(m_items.begin() + index, std::move(control));
    OnChildAdded(raw);
    return raw;
}

std::unique_ptr<CControlUI> CContainerUI::Detach(CControlUI* control)
{
    for (auto it = m_items.begin(); it != m_items.end(); ++it) {
        if (it->get() == control) {
            std::unique_ptr<CControlUI> owned = std::move(*it);
            m_items.erase(it);
            owned->SetManager(nullptr, nullptr, false);
            NeedUpdate();
            Invalidate();
            return owned;
        }
    }
    return nullptr;
}

bool CContainerUI::Remove(CControlUI* control)
{
    CPaintManagerUI* pm = m_pManager;
    std::unique_ptr<CControlUI> owned = Detach(control);
    if (!owned)
        return false;
    if (pm)
        pm->DestroyLater(std::move(owned));
    return true;
}

bool CContainerUI::RemoveAt(int index)
{
    CControlUI* c = GetItemAt(index);
    return c && Remove(c);
}

void CContainerUI::RemoveAll()
{
    auto items = std::move(m_items);
    m_items.clear();
    for (auto& item : items)
        item->SetManager(nullptr, nullptr, false);
    // Out of the tree at once; many are destroyed over the next frames.
    constexpr std::size_t kGraduallyFrom = 128;
    if (m_pManager && items.size() >= kGraduallyFrom) {
        m_pManager->DestroyGradually(std::move(items));
    } else if (m_pManager) {
        for (auto& item : items)
            m_pManager->DestroyLater(std::move(item));
    }
    items.clear();
    m_scrollX = m_scrollY = 0;
    NeedUpdate();
    Invalidate();
}

int CContainerUI::GetCount() const
{
    return static_cast<int>(m_items.size());
}

CControlUI* CContainerUI::GetItemAt(int index) const
{
    return GetRawItemAt(index);
}

CControlUI* CContainerUI::GetRawItemAt(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_items.size()))
        return nullptr;
    return m_items[static_cast<std::size_t>(index)].get();
}

int CContainerUI::GetItemIndex(CControlUI* control) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == control)
            return static_cast<int>(i);
    return -1;
}

bool CContainerUI::SetItemIndex(CControlUI* control, int index)
{
    int from = GetItemIndex(control);
    if (from < 0 || index < 0 || index >= static_cast<int>(m_items.size()))
        return false;
    auto owned = std::move(m_items[static_cast<std::size_t>(from)]);
    m_items.erase(m_items.begin() + from);
    m_items.insert(m_items.begin() + index, std::move(owned));
    NeedUpdate();
    return true;
}

void CContainerUI::SetInset(const RECT& rc)
{
    m_rcInset = rc;
    NeedUpdate();
}

void CContainerUI::SetChildPadding(int padding)
{
    m_iChildPadding = std::max(0, padding);
    NeedUpdate();
}

void CContainerUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    bool ok = true;
    bool b = false;
    int i = 0;
    RECT rc;
    if (name == L"inset") {
        if ((ok = attr::ParseRect(value, rc)))
            SetInset(rc);
    } else if (name == L"childpadding") {
        if ((ok = attr::ParseInt(value, i) && i >= 0))
            SetChildPadding(i);
    } else if (name == L"vscrollbar") {
        if ((ok = attr::ParseBool(value, b)))
            EnableScrollBar(b, m_bHScrollEnabled);
    } else if (name == L"hscrollbar") {
        if ((ok = attr::ParseBool(value, b)))
            EnableScrollBar(m_bVScrollEnabled, b);
    } else if (name == L"mousechild") {
        if ((ok = attr::ParseBool(value, b)))
            SetMouseChildEnabled(b);
    } else if (name == L"vscrollbarstyle" || name == L"hscrollbarstyle" || name == L"scrollstepsize") {
        // The look of scroll bars comes from the VScrollBar default.
    } else {
        CControlUI::SetAttribute(name, value);
        return;
    }
    if (!ok)
        attr::LogBadValue(GetClass(), name, value);
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init)
{
    for (auto& item : m_items)
        item->SetManager(manager, this, init);
    CControlUI::SetManager(manager, parent, init);
}

RECT CContainerUI::ContentRect() const
{
    RECT rc = m_rcItem;
    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;
    if (m_bVScrollShown)
        rc.right -= ScrollBarWidth();
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    return rc;
}

void CContainerUI::SetFloatPos(CControlUI* child)
{
    const RECT& pos = child->GetFloatPos();
    int w = child->GetFixedWidth() > 0 ? child->GetFixedWidth() : pos.right - pos.left;
    int h = child->GetFixedHeight() > 0 ? child->GetFixedHeight() : pos.bottom - pos.top;
    RECT rc { (child->IsFloatRight() ? m_rcItem.right : m_rcItem.left) + pos.left,
        (child->IsFloatBottom() ? m_rcItem.bottom : m_rcItem.top) + pos.top, 0, 0 };
    rc.right = rc.left + std::max(0, w);
    rc.bottom = rc.top + std::max(0, h);
    child->SetPos(rc);
}

void CContainerUI::SetPos(const RECT& rc)
{
    CControlUI::SetPos(rc);
    RECT content = ContentRect();
    for (auto& item : m_items) {
        if (!item->IsVisible())
            continue;
        if (item->IsFloat()) {
            SetFloatPos(item.get());
            continue;
        }
        RECT r = content;
        r.Offset(-m_scrollX, -m_scrollY);
        item->SetPos(r);
    }
}

void CContainerUI::StackChildren(bool vertical, unsigned crossAlign)
{
    // One axis is the one children follow each other on ("main"), the other
    // the one they fill or are aligned on ("cross").
    auto mainOf = [vertical](SIZE s) { return vertical ? s.cy : s.cx; };
    auto crossOf = [vertical](SIZE s) { return vertical ? s.cx : s.cy; };
    auto minMain = [vertical](CControlUI* c) { return vertical ? c->GetMinHeight() : c->GetMinWidth(); };
    auto maxMain = [vertical](CControlUI* c) { return vertical ? c->GetMaxHeight() : c->GetMaxWidth(); };
    auto minCross = [vertical](CControlUI* c) { return vertical ? c->GetMinWidth() : c->GetMinHeight(); };
    auto maxCross = [vertical](CControlUI* c) { return vertical ? c->GetMaxWidth() : c->GetMaxHeight(); };
    auto padMain = [vertical](const RECT& p) { return vertical ? p.top + p.bottom : p.left + p.right; };
    auto padMainBefore = [vertical](const RECT& p) { return vertical ? p.top : p.left; };
    auto padCross = [vertical](const RECT& p) { return vertical ? p.left + p.right : p.top + p.bottom; };
    auto padCrossBefore = [vertical](const RECT& p) { return vertical ? p.left : p.top; };
    const bool centre = vertical ? (crossAlign & DT_CENTER) : (crossAlign & DT_VCENTER);
    const bool atEnd = vertical ? (crossAlign & DT_RIGHT) : (crossAlign & DT_BOTTOM);

    for (int pass = 0; pass < 2; ++pass) {
        RECT content = ContentRect();
        SIZE available { content.Width(), content.Height() };
        int adjustable = 0;
        int fixedTotal = 0;
        int visibleCount = 0;
        for (auto& item : m_items) {
            if (!item->IsVisible() || item->IsFloat())
                continue;
            ++visibleCount;
            int m = mainOf(item->EstimateSize(available));
            if (m == 0) {
                ++adjustable;
                fixedTotal += minMain(item.get());
            } else {
                fixedTotal += Clamp(m, minMain(item.get()), maxMain(item.get()));
            }
            fixedTotal += padMain(item->GetPadding());
        }
        if (visibleCount > 1)
            fixedTotal += (visibleCount - 1) * m_iChildPadding;
        const int space = std::max(0, mainOf(available) - fixedTotal);
        int usedAdjustable = 0;
        int seenAdjustable = 0;
        int pos = vertical ? content.top - m_scrollY : content.left - m_scrollX;
        const int crossStart = vertical ? content.left - m_scrollX : content.top - m_scrollY;
        int required = 0;
        for (auto& item : m_items) {
            if (!item->IsVisible())
                continue;
            if (item->IsFloat()) {
                SetFloatPos(item.get());
                continue;
            }
            SIZE sz = item->EstimateSize(available);
            const RECT& pad = item->GetPadding();
            int m;
            if (mainOf(sz) == 0) {
                // What is left is shared by the adjustable ones still to come,
                // so a child held by its maximum leaves its share to them.
                int share = (space - usedAdjustable) / (adjustable - seenAdjustable);
                ++seenAdjustable;
                m = Clamp(minMain(item.get()) + share, minMain(item.get()), maxMain(item.get()));
                usedAdjustable += m - minMain(item.get());
            } else {
                m = Clamp(mainOf(sz), minMain(item.get()), maxMain(item.get()));
            }
            int full = crossOf(available) - padCross(pad);
            int c = crossOf(sz) == 0 ? full : crossOf(sz);
            c = Clamp(c, minCross(item.get()), maxCross(item.get()));
            int at = crossStart + padCrossBefore(pad);
            if (crossOf(sz) != 0 && c < full) {
                if (centre)
                    at += (full - c) / 2;
                else if (atEnd)
                    at += full - c;
            }
            int start = pos + padMainBefore(pad);
            item->SetPos(
                vertical ? RECT { at, start, at + c, start + m } : RECT { start, at, start + m, at + c });
            pos += m + padMain(pad) + m_iChildPadding;
            required += m + padMain(pad) + m_iChildPadding;
        }
        if (required > 0)
            required -= m_iChildPadding;
        if (!ProcessScrollBar(content, vertical ? 0 : required, vertical ? required : 0))
            break;
    }
}

void CContainerUI::Move(int dx, int dy)
{
    CControlUI::Move(dx, dy);
    for (auto& item : m_items)
        item->Move(dx, dy);
}

CControlUI* CContainerUI::FindInSubtree(const std::wstring& name)
{
    if (name == m_sName)
        return this;
    for (auto& item : m_items)
        if (CControlUI* found = item->FindInSubtree(name))
            return found;
    return nullptr;
}

CControlUI* CContainerUI::FindControlAt(POINT pt)
{
    if (!m_bVisible || !m_rcItem.Contains(pt))
        return nullptr;
    if (m_bVScrollShown && VScrollBarRect().Contains(pt))
        return this;
    if (m_bMouseChildEnabled) {
        RECT content = ContentRect();
        // Floating children lie above the others; later ones above earlier ones.
        for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
            CControlUI* c = it->get();
            if (!c->IsFloat())
                continue;
            if (CControlUI* hit = c->FindControlAt(pt))
                return hit;
        }
        if (content.Contains(pt)) {
            for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
                CControlUI* c = it->get();
                if (c->IsFloat())
                    continue;
                if (CControlUI* hit = c->FindControlAt(pt))
                    return hit;
            }
        }
    }
    return m_bMouseEnabled ? this : nullptr;
}

void CContainerUI::ForEach(const std::function<void(CControlUI*)>& fn)
{
    fn(this);
    for (std::size_t i = 0; i < m_items.size(); ++i)
        m_items[i]->ForEach(fn);
}

void CContainerUI::DoEvent(TEventUI& event)
{
    switch (event.Type) {
    case UIEVENT_SCROLLWHEEL:
        if (m_bVScrollEnabled && m_rangeY > 0) {
            int steps = event.wheelDelta / 120;
            if (steps == 0)
                steps = event.wheelDelta > 0 ? 1 : -1;
            SetScrollPos({ m_scrollX, m_scrollY - steps * kLineStep });
            return;
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (m_bVScrollShown && VScrollBarRect().Contains(event.ptMouse)) {
            RECT thumb = VThumbRect();
            if (thumb.Contains(event.ptMouse)) {
                m_bThumbDrag = true;
                m_dragStartY = event.ptMouse.y;
                m_dragStartScroll = m_scrollY;
            } else if (event.ptMouse.y < thumb.top) {
                PageUp();
            } else {
                PageDown();
            }
            return;
        }
        break;
    case UIEVENT_MOUSEMOVE:
        if (m_bThumbDrag) {
            RECT bar = VScrollBarRect();
            RECT thumb = VThumbRect();
            int travel = bar.Height() - thumb.Height();
            if (travel > 0)
                SetScrollPos({ m_scrollX,
                    m_dragStartScroll
                        + static_cast<int>(
                            static_cast<long long>(event.ptMouse.y - m_dragStartY) * m_rangeY / travel) });
            return;
        }
        if (m_bVScrollShown) {
            bool hot = VScrollBarRect().Contains(event.ptMouse);
            if (hot != m_bThumbHot) {
                m_bThumbHot = hot;
                Invalidate();
            }
        }
        break;
    case UIEVENT_BUTTONUP:
        m_bThumbDrag = false;
        break;
    case UIEVENT_MOUSELEAVE:
        if (m_bThumbHot) {
            m_bThumbHot = false;
            Invalidate();
        }
        break;
    default:
        break;
    }
    CControlUI::DoEvent(event);
}

namespace {

    // Whether a clip to `area` would cut anything from what is being painted:
    // the painter's clip already lies inside rcPaint, so an area holding all of
    // rcPaint needs no clip of its own (saving the painter's state is most of
    // the cost of a small repaint, such as a progress bar's).
    bool NeedsClip(const RECT& area, const RECT& rcPaint)
    {
        return !(area.left <= rcPaint.left && area.top <= rcPaint.top && area.right >= rcPaint.right
            && area.bottom >= rcPaint.bottom);
    }

} // namespace

void CContainerUI::DoPaint(CRenderContext& ctx, const RECT& rcPaint)
{
    if (!m_rcItem.Intersects(rcPaint))
        return;
    CControlUI::DoPaint(ctx, rcPaint);
    QPainter& p = ctx.painter;
    RECT clip = m_rcItem.Intersected(rcPaint);
    RECT contentRect = ContentRect();
    RECT content = contentRect.Intersected(clip);
    if (!content.IsEmpty()) {
        const bool clipped = NeedsClip(contentRect, rcPaint);
        if (clipped) {
            p.save();
            p.setClipRect(render::ToQRect(content), Qt::IntersectClip);
        }
        for (auto& item : m_items) {
            if (!item->IsVisible() || item->IsFloat())
                continue;
            if (!item->GetPos().Intersects(content))
                continue;
            item->DoPaint(ctx, content);
        }
        if (clipped)
            p.restore();
    }
    bool anyFloat = false;
    for (auto& item : m_items)
        anyFloat = anyFloat || (item->IsFloat() && item->IsVisible());
    if (anyFloat) {
        const bool clipped = NeedsClip(m_rcItem, rcPaint);
        if (clipped) {
            p.save();
            p.setClipRect(render::ToQRect(clip), Qt::IntersectClip);
        }
        for (auto& item : m_items)
            if (item->IsVisible() && item->IsFloat() && item->GetPos().Intersects(clip))
                item->DoPaint(ctx, clip);
        if (clipped)
            p.restore();
    }
    PaintScrollBar(ctx);
}

void CContainerUI::SetVisible(bool visible)
{
    CControlUI::SetVisible(visible);
}

} // namespace DuiLib
