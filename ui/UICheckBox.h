#pragma once

#include <string>

#include "ui/UIOption.h"

namespace DuiLib {

// A check box: toggles on click. "click" reports the state before the
// toggle (IsSelected() is still the old state while it is handled),
// "selectchanged" the state after. With a group it behaves as an option.
class CCheckBoxUI : public COptionUI {
public:
    std::wstring GetClass() const override;
    void SetCheck(bool check, bool triggerEvent = true) { Selected(check, triggerEvent); }
    bool GetCheck() const { return IsSelected(); }
};

} // namespace DuiLib
