#pragma once

#include <string>

#include "ui/UIList.h"

namespace DuiLib {

// A list of tree nodes.
class CTreeViewUI : public CListUI {
public:
    std::wstring GetClass() const override;
};

} // namespace DuiLib
