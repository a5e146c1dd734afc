#pragma once

// The engine's controls as Qt accessibility objects, so assistive tools see
// them through Qt's AT-SPI bridge: the window's widget has the root control
// as its child, and every visible control has an interface of its own with
// its role, name (its text, else its tooltip), states and place, and the
// press / toggle / focus actions a click or a tab would give.

class QAccessibleInterface;

namespace DuiLib {

class CControlUI;

// Teaches Qt the host widgets' interfaces. Once per process; the window
// calls it when it makes its widget.
void InstallAccessibility();

// The interface of a control in a window (registered with Qt, made the first
// time it is asked for), or nullptr for a control without a window.
QAccessibleInterface* AccessibleOf(CControlUI* control);

// The control is leaving its window: its interface goes with it.
void ForgetAccessible(CControlUI* control);

// Tell listening assistive tools (when there are any) that the control got
// the focus, or that its checked state changed.
void AnnounceFocus(CControlUI* control);
void AnnounceChecked(CControlUI* control);

} // namespace DuiLib
