#pragma once

namespace DuiLib {

struct SIZE {
    int cx = 0;
    int cy = 0;
};

} // namespace DuiLib
