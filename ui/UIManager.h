#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/WindowMessage.h"
#include "ui/UINotify.h"
#include "ui/UINotifyListener.h"
#include "ui/UIPoint.h"
#include "ui/UIRect.h"
#include "ui/UISize.h"

namespace DuiLib {

class CControlUI;

// The manager of one window's control tree: resources, fonts, default
// attributes, images, timers, focus, hover and notifications. Everything here
// runs on the UI thread.
class CPaintManagerUI {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // --- Resource source (process-wide): where skin files and images are read.
    // A folder on disk.
    static void SetResourcePath(const std::wstring& folder);
    static std::wstring GetResourcePath();
    // A ZIP held in memory (copied), e.g. the skin package linked into the program.
    static bool SetResourceZip(const void* data, std::size_t size);
    // A ZIP file on disk.
    static bool SetResourceZipFile(const std::wstring& path);
    // A ZIP known by a numeric id (the program's resource 105); selected by
    // windows whose GetResourceType is UILIB_ZIPRESOURCE.
    static void RegisterZipResource(int id, const void* data, std::size_t size);
    static bool UseZipResource(int id);
    // Reads a package file ("MainWnd.xml", "img/x.png"; '\' and '/' alike,
    // letter case ignored inside a ZIP). An absolute path is read from disk.
    static bool ReadResourceFile(const std::wstring& name, std::string& bytes);
    static bool HasResourceSource();

    // --- The tree.
    // Takes the root control, attaches it to this manager and lays it out on
    // the next paint. The previous root is destroyed.
    void AttachDialog(std::unique_ptr<CControlUI> root);
    CControlUI* GetRoot() const;
    // The first control of that name in the window (nullptr if none).
    CControlUI* FindControl(const std::wstring& name) const;
    // The same, as a control class (nullptr if missing or of another class).
    template <class T> T* FindControlAs(const std::wstring& name) const
    {
        return dynamic_cast<T*>(FindControl(name));
    }
    // The control that takes the mouse at pt.
    CControlUI* FindControl(POINT pt) const;
    // A named control inside parent's subtree.
    static CControlUI* FindSubControlByName(CControlUI* parent, const std::wstring& name);

    // --- Window settings (the Window element).
    SIZE GetInitSize() const;
    void SetInitSize(int cx, int cy);
    RECT GetCaptionRect() const;
    void SetCaptionRect(const RECT& rc);
    SIZE GetMinInfo() const;
    void SetMinInfo(int cx, int cy);
    SIZE GetMaxInfo() const;
    void SetMaxInfo(int cx, int cy);
    SIZE GetRoundCorner() const;
    RECT GetSizeBox() const;
    std::uint32_t GetDefaultFontColor() const;
    std::uint32_t GetDefaultDisabledColor() const;
    std::uint32_t GetDefaultLinkFontColor() const;
    std::uint32_t GetDefaultLinkHoverFontColor() const;
    std::uint32_t GetDefaultSelectedBkColor() const;
    // One attribute of the Window element; false if unknown or malformed.
    bool SetWindowAttribute(const std::wstring& name, const std::wstring& value);

    // --- Fonts by id (0-19 in the skin); "微软雅黑" maps to an installed CJK face.
    void AddFont(int id, const std::wstring& face, int size, bool bold, bool underline, bool italic,
        bool isDefault = false);
    bool HasFont(int id) const;
    int GetFontSize(int id) const;
    bool IsFontBold(int id) const;

    // --- Default attributes per class name ("Button", "Label", ...). Also
    // remembered process-wide for elements built without a manager.
    void AddDefaultAttributeList(const std::wstring& controlClass, const std::wstring& list);
    std::wstring GetDefaultAttributeList(const std::wstring& controlClass) const;
    static std::wstring GetSharedDefaultAttributeList(const std::wstring& controlClass);

    // --- Images.
    // A shared image under a name, decoded from memory (BMP, PNG, JPEG);
    // replaces an image of the same name. Controls using it are repainted.
    bool AddImage(const std::wstring& name, const unsigned char* data, std::size_t size);
    // A shared name for a package or disk file (the Image element).
    void AddImageAlias(const std::wstring& name, const std::wstring& file);
    // Drops one decoded image from the cache, so the file is read again.
    void RemoveImage(const std::wstring& name);
    void RemoveAllImages();
    bool IsImageCached(const std::wstring& name) const;
    // Pixel size of an image (0,0 if it cannot be read).
    SIZE GetImageSize(const std::wstring& name);

    // --- Timers: "timer" notifications for control on the UI thread.
    bool SetTimer(CControlUI* control, unsigned id, unsigned elapseMs);
    bool KillTimer(CControlUI* control, unsigned id);
    void KillTimer(CControlUI* control);
    bool HasTimer(CControlUI* control, unsigned id) const;

    // --- Notifications.
    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    void SendNotify(CControlUI* sender, const std::wstring& type, WPARAM wParam = 0, LPARAM lParam = 0);
    void SendNotify(TNotifyUI& msg);
    // Observers see every notification before the notifiers (tests, logs).
    using NotifyObserver = std::function<void(const TNotifyUI&)>;
    int AddNotifyObserver(NotifyObserver observer);
    void RemoveNotifyObserver(int id);

    // --- Focus and input.
    CControlUI* GetFocus() const;
    void SetFocus(CControlUI* control);
    // Moves the focus to the next (or previous) focusable control.
    bool SetNextTabControl(bool forward = true);
    CControlUI* GetHover() const;
    // The wait state: wait cursor, and mouse input no longer reaches controls.
    void BeginWaitCursor();
    void EndWaitCursor();
    bool IsWaitCursor() const;

    // --- Option groups (options register themselves).
    void AddOptionGroup(const std::wstring& group, CControlUI* option);
    void RemoveOptionGroup(const std::wstring& group, CControlUI* option);
    std::vector<CControlUI*> GetOptionGroup(const std::wstring& group) const;

    // --- Layout and painting.
    SIZE GetClientSize() const;
    void SetClientSize(int cx, int cy);
    void NeedUpdate();
    // Lays out what needs it now (normally done before each paint).
    void UpdateLayout();
    void Invalidate();
    void Invalidate(const RECT& rc);
    // While held (nested), updates and invalidations are not asked of the
    // window: for changes the paint under way lays out and paints itself.
    void HoldUpdates();
    void ReleaseUpdates();
    // During a paint to the screen, asks only when rc reaches beyond what
    // that paint covers; otherwise as Invalidate(rc).
    void InvalidateBeyondPaint(const RECT& rc);
    // Paints the whole tree into a PNG of the client size (no window needed).
    bool SaveImage(const std::string& pngPath);

    // Internals shared with the engine's own files.
    struct Impl;
    Impl& GetImpl() { return *d; }
    const Impl& GetImpl() const { return *d; }
    // Called by controls leaving this manager: forget every pointer to them.
    void ReapObjects(CControlUI* control);
    // Called by controls joining this manager: name lookup.
    void InitControl(CControlUI* control);
    // A removed control: destroyed now, or after the event being handled.
    void DestroyLater(std::unique_ptr<CControlUI> control);
    // Destroys controls already taken out of the tree a portion each frame,
    // so that removing a thousand at once holds up no frame.
    void DestroyGradually(std::vector<std::unique_ptr<CControlUI>> controls);

private:
    std::unique_ptr<Impl> d;
};

} // namespace DuiLib
