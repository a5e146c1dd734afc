#pragma once

#include <cstdint>
#include <memory>

namespace DuiLib {

class WindowImplBase;

// A soft drop shadow around a window: a see-through window behind it that
// follows it (moves, resizes, shows and hides with it). Size is the blur
// width in pixels, the position its offset, darkness the opacity at the
// window's edge (0-255).
class CWndShadow {
public:
    CWndShadow();
    ~CWndShadow();
    CWndShadow(const CWndShadow&) = delete;
    CWndShadow& operator=(const CWndShadow&) = delete;

    // Kept for the classic call order; nothing to do on this backend.
    static bool Initialize() { return true; }
    bool Create(WindowImplBase& owner);
    bool IsCreated() const;
    bool SetSize(int size);
    bool SetPosition(int x, int y);
    bool SetDarkness(unsigned darkness);
    bool SetColor(std::uint32_t rgb);
    int GetSize() const;
    int GetOffsetX() const;
    int GetOffsetY() const;
    unsigned GetDarkness() const;
    // Whether the shadow window is shown right now.
    bool IsShown() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace DuiLib
