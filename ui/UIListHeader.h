#pragma once

#include <string>

#include "ui/UIHorizontalLayout.h"

namespace DuiLib {

// The column captions of a list.
class CListHeaderUI : public CHorizontalLayoutUI {
public:
    CListHeaderUI();
    std::wstring GetClass() const override;
    SIZE EstimateSize(SIZE available) override;
};

} // namespace DuiLib
