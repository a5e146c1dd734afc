#pragma once

#include <cstdint>
#include <string>

#include "ui/UILabel.h"
#include "ui/internal/Render.h"

namespace DuiLib {

// The last markup layout of a label; the text reads its links from it.
struct CLabelUI::LayoutCache {
    RECT rc;
    std::wstring text;
    int font = -2;
    std::uint32_t color = 0;
    unsigned style = 0;
    render::MarkupLayout layout;
};

} // namespace DuiLib
