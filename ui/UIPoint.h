#pragma once

namespace DuiLib {

struct POINT {
    int x = 0;
    int y = 0;
};

} // namespace DuiLib
