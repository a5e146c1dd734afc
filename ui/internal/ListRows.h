#pragma once

// What text rows and container rows of a list share.

#include <cstdint>

#include "ui/UIControl.h"
#include "ui/UIListInfo.h"
#include "ui/UIListItem.h"

namespace DuiLib {

// The row's background: the list's colours and pictures for its state
// (`own` is the row's own colour), then the line under it.
void PaintRowBackground(CRenderContext& ctx, const RECT& rc, const TListInfoUI* info, int index,
    bool selected, bool hot, std::uint32_t own);
// A press on the row itself selects it, hovering marks it (`hot`), keys go
// to the list. True when used.
bool RowEvent(IListItemUI* item, CControlUI* self, bool& hot, TEventUI& event);

} // namespace DuiLib
