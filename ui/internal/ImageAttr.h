#pragma once

// Image attribute text: a bare name ("img/bg.png") or quoted keys
// (file='..' dest='l,t,r,b' source='..' corner='..' fade='255'
// mask='#FFFF00FF' xtiled='true' ytiled='true' hole='true').

#include <cstdint>
#include <string>

#include "ui/UIRect.h"

namespace DuiLib {

struct ImageAttr {
    std::wstring file; // with '\' turned into '/'
    RECT dest;
    bool hasDest = false;
    RECT source;
    bool hasSource = false;
    RECT corner;
    int fade = 255;
    std::uint32_t mask = 0;
    bool hasMask = false;
    bool xtiled = false;
    bool ytiled = false;
    bool hole = false;
};

// False when the text names no file. Malformed keys are logged and skipped.
bool ParseImageAttr(const std::wstring& text, ImageAttr& out);

// The file name an image attribute text refers to ("" when none).
std::wstring ImageFileOf(const std::wstring& text);

} // namespace DuiLib
