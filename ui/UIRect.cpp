#include "ui/UIRect.h"

#include <algorithm>

namespace DuiLib {

RECT RECT::Intersected(const RECT& o) const
{
    RECT r { std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
        std::min(bottom, o.bottom) };
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
    return r;
}

} // namespace DuiLib
