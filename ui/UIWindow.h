#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/WindowMessage.h"
#include "ui/UIDefs.h"
#include "ui/UIDialogBuilderCallback.h"
#include "ui/UIManager.h"
#include "ui/UINotifyListener.h"
#include "ui/UIRect.h"

namespace DuiLib {

// The base of the program's windows: a frameless top-level window that
// loads its skin file, paints the control tree and routes every message.
//
// Messages: the window owns a UI-thread message queue (GetMessageTarget) and
// every message goes through HandleMessage: WM_CLOSE to OnClose (a close
// request not handled there destroys the window), anything else to
// HandleCustomMessage. WM_QUIT ends ShowModal. Close(code) posts WM_CLOSE
// with the code in wParam.
//
// The caption area (Window caption="l,t,r,b", r = 0 meaning the full width)
// drags the window where no button, option, edit or link lies. The caption
// buttons named closebtn, minbtn, maxbtn and restorebtn work through OnClick.
// "windowinit" goes to Notify once, when the window is first shown.
class WindowImplBase : public INotifyUI, public IDialogBuilderCallback {
public:
    WindowImplBase();
    ~WindowImplBase() override;
    WindowImplBase(const WindowImplBase&) = delete;
    WindowImplBase& operator=(const WindowImplBase&) = delete;

    virtual std::wstring GetWindowClassName() const = 0;
    virtual std::wstring GetSuperClassName() const { return {}; }
    virtual UINT GetClassStyle() const { return 0; }
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // After the window is destroyed.
    virtual void OnFinalMessage() { }
    // After the skin is loaded and attached; find controls here.
    virtual void InitWindow() { }
    virtual void OnClick(TNotifyUI& msg);
    // A folder below the resource path (UILIB_FILE), or empty.
    virtual std::wstring GetSkinFolder() = 0;
    virtual std::wstring GetSkinFile() = 0;
    // Enter (UIKEY_RETURN) and Escape (UIKEY_ESCAPE) before the controls see
    // them; true keeps the key from the controls.
    virtual bool ResponseDefaultKeyEvent(WPARAM key);
    virtual UILIB_RESOURCETYPE GetResourceType() const { return UILIB_FILE; }
    virtual std::wstring GetZIPFileName() const { return {}; }
    virtual int GetResourceID() const { return 0; }
    // bHandled false (the default) lets the window close.
    virtual LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual std::uint32_t GetStyle() const { return 0; }

    void Notify(TNotifyUI& msg) override;
    std::unique_ptr<CControlUI> CreateControl(const std::wstring& className) override;

    // Loads the skin and creates the (hidden) window. On a skin that cannot
    // be loaded the skin-failure handler runs and false is returned.
    bool Create(WindowImplBase* parent, const std::wstring& title, std::uint32_t style = 0,
        std::uint32_t exStyle = 0, int x = -1, int y = -1, int cx = 0, int cy = 0);
    bool IsCreated() const;
    bool IsDestroyed() const;
    void CenterWindow();
    // Shows the window and runs until it is destroyed or WM_QUIT arrives;
    // returns the wParam of the WM_CLOSE or WM_QUIT that ended it.
    UINT ShowModal();
    void ShowWindow(bool show = true, bool takeFocus = true);
    bool IsWindowVisible() const;
    void Minimize();
    void Maximize();
    void Restore();
    bool IsMaximized() const;
    bool IsMinimized() const;
    void Close(UINT code = 1);
    // Hides the window for good and ends ShowModal; from then on the message
    // queue delivers nothing (Send returns 0 at once).
    void DestroyWindow();
    void PostQuitMessage(int code = 0);
    void SetWindowTitle(const std::wstring& title);
    std::wstring GetWindowTitle() const;
    RECT GetWindowRect() const;
    void MoveWindow(int x, int y);
    void ResizeClient(int cx, int cy);
    // Brings the window to the front and gives it the keyboard.
    void ActivateWindow();

    // The window's message queue, for tasks on other threads.
    IMessageTarget& GetMessageTarget();
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    void PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    // The wait state of this window (wait cursor; mouse input kept from the controls).
    void BeginWaitCursor() { m_pm.BeginWaitCursor(); }
    void EndWaitCursor() { m_pm.EndWaitCursor(); }

    CPaintManagerUI& GetPaintManager() { return m_pm; }
    // The backend's window object (a QWidget*), for the platform layer.
    void* GetNativeWindow() const;

    // Runs when a window's skin cannot be loaded. The default shows the
    // message box "加载资源文件失败" (caption "Duilib", error icon) and ends
    // the process with exit code 1; tests replace it.
    using SkinFailureHandler = std::function<void()>;
    static void SetSkinFailureHandler(SkinFailureHandler handler);

protected:
    CPaintManagerUI m_pm;

private:
    friend class CHostWidget;
    LRESULT Route(UINT msg, WPARAM wParam, LPARAM lParam);
    void SendWindowInit();

    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace DuiLib
