#pragma once

// The manager's state (Qt inside; for the engine's own files).

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/UIControl.h"
#include "ui/UIManager.h"
#include "ui/internal/ControlTimers.h"
#include "ui/internal/FramePacing.h"
#include "ui/internal/ImageCache.h"
#include "ui/internal/Retirement.h"

namespace DuiLib {

// FontInfo and ScrollBarStyle are the manager state's own value types.
struct FontInfo {
    std::wstring face;
    int size = 12;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    QFont font;
};

// The look of scroll bars (the "VScrollBar" default).
struct ScrollBarStyle {
    int width = 9;
    std::uint32_t bk = 0x10000000;
    std::uint32_t thumb = 0x60000000;
    std::uint32_t thumbHot = 0x90000000;
    int round = 4;
    std::wstring railImage;
    std::wstring thumbImage;
    std::wstring thumbHotImage;
    std::wstring thumbPushedImage;
};

// Changes whenever any manager's Default entries change.
unsigned DefaultsVersion();

// The skin names Windows faces; maps them onto installed CJK faces, once
// (ManagerLook.cpp, with Impl::Font and Impl::ScrollStyle).
void InstallFontSubstitutes();

// Lays out again the controls marked for it below `c` (ManagerPaint.cpp).
void RelayoutMarkedControls(CControlUI* c);

struct CPaintManagerUI::Impl {
    explicit Impl(CPaintManagerUI* owner);

    CPaintManagerUI* self;
    unsigned id; // unique per manager, for caches keyed by manager
    QPointer<QWidget> host; // the window's widget, if there is one
    std::unique_ptr<CControlUI> root;

    SIZE initSize { 0, 0 };
    SIZE clientSize { 0, 0 };
    RECT caption;
    SIZE minInfo;
    SIZE maxInfo;
    SIZE roundCorner;
    RECT sizeBox;
    std::uint32_t defaultFontColor = 0xFF000000;
    std::uint32_t disabledFontColor = 0xFFA7A6AA;
    std::uint32_t linkFontColor = 0xFF0000FF;
    std::uint32_t linkHoverFontColor = 0xFFD3215F;
    std::uint32_t selectedBkColor = 0xFFBAE4FF;

    std::map<int, FontInfo> fonts;
    int defaultFont = -1;
    std::unordered_map<std::wstring, std::wstring> defaults;
    unsigned defaultsVersion = 1;
    unsigned scrollStyleVersion = 0;
    ScrollBarStyle scrollStyle;
    const ScrollBarStyle& ScrollStyle();

    ImageCache images;

    ControlTimers timers;
    void Tick(CControlUI* control, unsigned timerId);

    std::vector<INotifyUI*> notifiers;
    std::vector<std::pair<int, NotifyObserver>> observers;
    int nextObserver = 1;

    CControlUI* focus = nullptr;
    CControlUI* hover = nullptr;
    CControlUI* capture = nullptr;
    bool waitCursor = false;
    bool grabbed = false; // the host holds the mouse for the wait state

    std::unordered_map<std::wstring, std::vector<CControlUI*>> optionGroups;
    mutable std::unordered_map<std::wstring, CControlUI*> names;

    bool layoutNeeded = true;
    FramePacer frames { host };
    // HoldUpdates depth: what is asked meanwhile is dropped.
    int updatesHeld = 0;
    // While a paint to the screen lays the tree out, the areas the layout
    // touches are gathered here instead of asked of the window.
    bool gatheringLayout = false;
    QRect layoutArea;
    // The area of the paint to the screen under way, else empty.
    QRect screenPaint;
    int dispatchDepth = 0;
    ControlRetirement retirement { dispatchDepth };

    // ManagerLook.cpp
    QFont Font(int id);
    bool WindowAttribute(const std::wstring& name, const std::wstring& value);
    // ManagerPaint.cpp. A paint to the screen (not into an image) asks
    // again only for what its own layout moved outside `dirty`.
    void Paint(QPainter& p, const RECT& dirty, bool toScreen = false);
    bool SavePng(const std::string& pngPath);

    // Input from the host widget (window coordinates); InputDispatch.cpp.
    void UpdateCursor();
    void MouseMove(POINT pt);
    void MousePress(POINT pt, bool right, bool doubleClick);
    void MouseRelease(POINT pt, bool right);
    void MouseLeave();
    void Wheel(POINT pt, int delta);
    // Key presses the host did not keep for itself; true when used.
    bool Key(int key, bool shift, bool ctrl);
    // Enter outside a button: the default button, if any, is activated.
    bool ActivateDefaultButton();
    void MoveFocus(CControlUI* control);
    bool MoveFocusInTabOrder(bool forward);
};

} // namespace DuiLib
