#pragma once

#include <string>

#include "ui/UILabel.h"

namespace DuiLib {

// One column caption; its width is the column's width.
class CListHeaderItemUI : public CLabelUI {
public:
    CListHeaderItemUI();
    std::wstring GetClass() const override;
};

} // namespace DuiLib
