#pragma once

#include <string>

namespace DuiLib {

class CControlUI;

// childalign / childvalign: the part of an align value for the cross axis.
void SetCrossAlign(
    CControlUI* self, const std::wstring& name, const std::wstring& value, unsigned mask, unsigned& target);

} // namespace DuiLib
