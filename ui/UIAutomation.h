#pragma once

// Driving a window as a person would, for tests.
//
//   MyWindow wnd;                      // a WindowImplBase
//   wnd.Create(nullptr, L"test");
//   CUiDriver ui(wnd);                 // records notifications from now on
//   ui.Show();                         // shown, laid out, "windowinit" delivered
//   ui.Click(L"BtnOfLogin");           // press and release at the centre
//   ui.TypeText(L"EditOfLoginName", L"13800000000");
//   ui.PressKey(UIKEY_TAB);
//   ui.WaitUntil([&] { return ui.CountOf(L"timer") >= 3; }, 2000);
//   EXPECT_EQ(ui.CountOf(L"click", L"BtnOfLogin"), 1);
//   ui.SavePng("/tmp/login.png");
//
// Mouse and key events are real Qt events sent to the window's widget (or
// to the native editor lying at that point), so they go through the same
// hit testing, capture, focus and wait-cursor rules as a person's input.
// Everything runs on the UI thread; the driver never sleeps without
// processing events.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/WindowMessage.h"
#include "ui/UIPoint.h"

namespace DuiLib {

class CControlUI;
class CPaintManagerUI;
class WindowImplBase;

// A notification as it was sent (the sender may be gone since). Only the
// driver hands these out, so the type stays with it.
struct NotifyRecord {
    std::wstring type;
    std::wstring sender; // the sender's name
    std::wstring userData; // the sender's userdata
    std::uintptr_t tag = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    CControlUI* control = nullptr; // for identity checks only
    // For check boxes and options: IsSelected() when it was sent.
    bool selected = false;
    // For "link": the target.
    std::wstring link;
};

class CUiDriver {
public:
    explicit CUiDriver(WindowImplBase& window);
    ~CUiDriver();
    CUiDriver(const CUiDriver&) = delete;
    CUiDriver& operator=(const CUiDriver&) = delete;

    // Shows the window, lays it out and lets "windowinit" arrive.
    void Show();
    CControlUI* Find(const std::wstring& name) const;
    // The centre of a control in window coordinates.
    POINT CentreOf(const CControlUI* control) const;

    // Press and release of the left button at the control's centre; false
    // when the control is missing, hidden in the tree or outside the window.
    bool Click(const std::wstring& name);
    bool Click(CControlUI* control);
    bool ClickAt(POINT pt);
    bool RightClickAt(POINT pt);
    bool DoubleClickAt(POINT pt);
    bool MouseDown(POINT pt);
    bool MouseUp(POINT pt);
    bool MoveTo(POINT pt);
    // Wheel notches at the control's centre (positive: away from the user).
    bool Wheel(const std::wstring& name, int notches);
    // Clicks the edit (focus, native editor) and types the text key by key.
    bool TypeText(const std::wstring& name, const std::wstring& text);
    // UIKEY_TAB, UIKEY_RETURN, UIKEY_ESCAPE, UIKEY_SPACE, UIKEY_UP, UIKEY_DOWN,
    // to whatever has the keyboard (the native editor while editing).
    void PressKey(int key, bool shift = false);

    // Processes events for ms milliseconds (at least once).
    void ProcessEvents(int ms = 0);
    // Processes events until cond() holds; false if timeoutMs passed first.
    bool WaitUntil(const std::function<bool()>& cond, int timeoutMs = 5000);
    // The window as shown, native editors included.
    bool SavePng(const std::string& path);

    const std::vector<NotifyRecord>& Notifications() const { return m_records; }
    void ClearNotifications() { m_records.clear(); }
    // How many notifications of this type (from this sender, if named).
    int CountOf(const std::wstring& type, const std::wstring& sender = std::wstring()) const;
    // The last such notification, or nullptr.
    const NotifyRecord* Last(const std::wstring& type, const std::wstring& sender = std::wstring()) const;

private:
    bool SendMouse(int type, POINT pt, bool right);

    WindowImplBase& m_window;
    CPaintManagerUI& m_pm;
    int m_observer = 0;
    std::vector<NotifyRecord> m_records;
};

} // namespace DuiLib
