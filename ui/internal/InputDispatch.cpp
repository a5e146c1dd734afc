// The manager's input dispatch: mouse, wheel and keys from the host widget
// to the controls, with hover, capture, focus and the cursor kept up to date.
#include <algorithm>
#include <vector>

#include "ui/UIAccessible.h"
#include "ui/UIButton.h"
#include "ui/UIDispatchScope.h"
#include "ui/UIManager.h"
#include "ui/internal/ManagerImpl.h"

namespace DuiLib {

namespace {

    // Hands one input event to a control.
    void Deliver(CControlUI* target, int type, POINT pt, int wheelDelta = 0)
    {
        TEventUI e;
        e.Type = type;
        e.pSender = target;
        e.ptMouse = pt;
        e.wheelDelta = wheelDelta;
        target->DoEvent(e);
    }

} // namespace

void CPaintManagerUI::Impl::UpdateCursor()
{
    if (!host)
        return;
    if (waitCursor) {
        host->setCursor(Qt::WaitCursor);
        return;
    }
    if (hover && hover->IsEnabled()) {
        std::wstring cls = hover->GetClass();
        if (cls == L"EditUI" || cls == L"RichEditUI") {
            host->setCursor(Qt::IBeamCursor);
            return;
        }
    }
    host->unsetCursor();
}

void CPaintManagerUI::Impl::MouseMove(POINT pt)
{
    if (waitCursor)
        return;
    CDispatchScope scope(self);
    if (capture) {
        Deliver(capture, UIEVENT_MOUSEMOVE, pt);
        return;
    }
    CControlUI* now = root ? root->FindControlAt(pt) : nullptr;
    if (now != hover) {
        CControlUI* old = hover;
        hover = now;
        if (old) {
            Deliver(old, UIEVENT_MOUSELEAVE, pt);
            self->SendNotify(old, DUI_MSGTYPE_MOUSELEAVE);
        }
        if (CControlUI* entered = hover) {
            Deliver(entered, UIEVENT_MOUSEENTER, pt);
            self->SendNotify(entered, DUI_MSGTYPE_MOUSEENTER);
        }
        UpdateCursor();
    }
    if (hover)
        Deliver(hover, UIEVENT_MOUSEMOVE, pt);
}

void CPaintManagerUI::Impl::MousePress(POINT pt, bool right, bool doubleClick)
{
    if (waitCursor)
        return;
    CDispatchScope scope(self);
    MouseMove(pt);
    CControlUI* target = root ? root->FindControlAt(pt) : nullptr;
    if (!target)
        return;
    if (right) {
        Deliver(target, UIEVENT_RBUTTONDOWN, pt);
        return;
    }
    if (target->IsEnabled())
        self->SetFocus(target);
    // The focus change may have removed the control.
    target = root ? root->FindControlAt(pt) : nullptr;
    if (!target)
        return;
    capture = target;
    Deliver(target, doubleClick ? UIEVENT_DBLCLICK : UIEVENT_BUTTONDOWN, pt);
}

void CPaintManagerUI::Impl::MouseRelease(POINT pt, bool right)
{
    if (right || waitCursor) {
        capture = nullptr;
        return;
    }
    CDispatchScope scope(self);
    CControlUI* target = capture;
    capture = nullptr;
    if (!target)
        return;
    Deliver(target, UIEVENT_BUTTONUP, pt);
    // Moves went to the captured control only: bring the hover up to date,
    // so a button released elsewhere no longer looks hot.
    MouseMove(pt);
}

void CPaintManagerUI::Impl::MouseLeave()
{
    CDispatchScope scope(self);
    if (hover && !capture) {
        CControlUI* old = hover;
        hover = nullptr;
        Deliver(old, UIEVENT_MOUSELEAVE, POINT { -1, -1 });
        self->SendNotify(old, DUI_MSGTYPE_MOUSELEAVE);
    }
}

void CPaintManagerUI::Impl::Wheel(POINT pt, int delta)
{
    if (waitCursor || !root)
        return;
    CDispatchScope scope(self);
    CControlUI* target = root->FindControlAt(pt);
    if (!target)
        target = root.get();
    Deliver(target, UIEVENT_SCROLLWHEEL, pt, delta);
}

bool CPaintManagerUI::Impl::Key(int key, bool shift, bool ctrl)
{
    CDispatchScope scope(self);
    if (key == UIKEY_TAB) {
        self->SetNextTabControl(!shift);
        return true;
    }
    if (focus && focus->IsVisibleInTree() && focus->IsEnabled()) {
        TEventUI e;
        e.Type = UIEVENT_KEYDOWN;
        e.pSender = focus;
        e.key = key;
        e.shift = shift;
        e.ctrl = ctrl;
        if (key == UIKEY_RETURN && dynamic_cast<CButtonUI*>(focus)) {
            focus->DoEvent(e);
            return true;
        }
        focus->DoEvent(e);
    }
    if (key == UIKEY_RETURN)
        return ActivateDefaultButton();
    return false;
}

bool CPaintManagerUI::Impl::ActivateDefaultButton()
{
    if (!root)
        return false;
    CButtonUI* found = nullptr;
    root->ForEach([&](CControlUI* c) {
        if (found)
            return;
        auto* b = dynamic_cast<CButtonUI*>(c);
        if (b && b->IsDefaultButton() && b->IsEnabled() && b->IsVisibleInTree())
            found = b;
    });
    if (!found)
        return false;
    found->Activate();
    return true;
}

void CPaintManagerUI::Impl::MoveFocus(CControlUI* control)
{
    if (control == focus)
        return;
    CDispatchScope scope(self);
    if (CControlUI* old = focus) {
        focus = nullptr;
        TEventUI e;
        e.Type = UIEVENT_KILLFOCUS;
        e.pSender = old;
        old->DoEvent(e);
        self->SendNotify(old, DUI_MSGTYPE_KILLFOCUS);
    }
    if (control && control->GetManager() == self && control->IsVisibleInTree() && control->IsEnabled()) {
        focus = control;
        TEventUI e;
        e.Type = UIEVENT_SETFOCUS;
        e.pSender = control;
        control->DoEvent(e);
        if (focus == control) {
            AnnounceFocus(control);
            self->SendNotify(control, DUI_MSGTYPE_SETFOCUS);
        }
    }
}

bool CPaintManagerUI::Impl::MoveFocusInTabOrder(bool forward)
{
    if (!root)
        return false;
    std::vector<CControlUI*> order;
    root->ForEach([&](CControlUI* c) {
        if (c->IsFocusable() && c->IsEnabled() && c->IsKeyboardEnabled() && c->IsVisibleInTree())
            order.push_back(c);
    });
    if (order.empty())
        return false;
    auto it = std::find(order.begin(), order.end(), focus);
    CControlUI* next;
    if (it == order.end()) {
        next = forward ? order.front() : order.back();
    } else if (forward) {
        ++it;
        next = it == order.end() ? order.front() : *it;
    } else {
        next = it == order.begin() ? order.back() : *(it - 1);
    }
    MoveFocus(next);
    return true;
}

} // namespace DuiLib
