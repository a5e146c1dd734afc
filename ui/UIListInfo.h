#pragma once

#include <cstdint>
#include <string>

#include "ui/UIDefs.h"
#include "ui/UIRect.h"

namespace DuiLib {

// How the rows of a list draw themselves (the item* attributes of List).
struct TListInfoUI {
    int nFont = -1;
    unsigned uTextStyle = DT_VCENTER | DT_SINGLELINE | DT_LEFT;
    RECT rcTextPadding { 4, 0, 4, 0 };
    std::uint32_t dwTextColor = 0;
    std::uint32_t dwBkColor = 0;
    std::uint32_t dwSelectedTextColor = 0;
    std::uint32_t dwSelectedBkColor = 0;
    std::uint32_t dwHotTextColor = 0;
    std::uint32_t dwHotBkColor = 0;
    std::uint32_t dwDisabledTextColor = 0;
    std::uint32_t dwLineColor = 0;
    bool bShowHtml = false;
    bool bAlternateBk = false; // itembkcolor on every other row only
    std::wstring sBkImage;
    std::wstring sSelectedImage;
    std::wstring sHotImage;
};

} // namespace DuiLib
