#pragma once

#include "ui/UIPoint.h"

namespace DuiLib {

struct RECT {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(POINT pt) const { return pt.x >= left && pt.x < right && pt.y >= top && pt.y < bottom; }
    bool Intersects(const RECT& o) const
    {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
    RECT Intersected(const RECT& o) const;
    void Offset(int dx, int dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    bool operator==(const RECT&) const = default;
};

} // namespace DuiLib
