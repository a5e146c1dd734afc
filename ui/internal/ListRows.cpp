#include "ui/internal/ListRows.h"

#include "ui/UIList.h"
#include "ui/internal/Render.h"

namespace DuiLib {

namespace {

    std::uint32_t RowBkColor(const TListInfoUI* info, int index, bool selected, bool hot, std::uint32_t own)
    {
        if (!info)
            return own;
        if (selected && info->dwSelectedBkColor)
            return info->dwSelectedBkColor;
        if (hot && info->dwHotBkColor)
            return info->dwHotBkColor;
        if (own)
            return own;
        if (info->bAlternateBk && index % 2 != 0)
            return 0;
        return info->dwBkColor;
    }

    const std::wstring& RowImage(const TListInfoUI* info, bool selected, bool hot)
    {
        static const std::wstring none;
        if (!info)
            return none;
        if (selected && !info->sSelectedImage.empty())
            return info->sSelectedImage;
        if (hot && !info->sHotImage.empty())
            return info->sHotImage;
        return info->sBkImage;
    }

    // A click on a row selects it (unless it lies in a row's own control).
    void SelectOnPress(IListItemUI* item, CControlUI* self, const TEventUI& event)
    {
        if ((event.Type == UIEVENT_BUTTONDOWN || event.Type == UIEVENT_DBLCLICK) && self->IsEnabled()
            && item->GetOwner())
            item->GetOwner()->SelectItem(item->GetIndex(), true);
    }

} // namespace

void PaintRowBackground(CRenderContext& ctx, const RECT& rc, const TListInfoUI* info, int index,
    bool selected, bool hot, std::uint32_t own)
{
    std::uint32_t color = RowBkColor(info, index, selected, hot, own);
    if (color)
        render::FillRect(ctx.painter, rc, color);
    const std::wstring& image = RowImage(info, selected, hot);
    if (!image.empty())
        render::DrawImage(ctx.painter, ctx.manager, rc, image);
    if (info && info->dwLineColor)
        render::FillRect(
            ctx.painter, RECT { rc.left, rc.bottom - 1, rc.right, rc.bottom }, info->dwLineColor);
}

// Row behaviour shared by text rows and container rows: a press on the row
// itself selects it, hovering marks it, keys go to the list. True when used.
bool RowEvent(IListItemUI* item, CControlUI* self, bool& hot, TEventUI& event)
{
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (event.pSender != self)
            return false;
        SelectOnPress(item, self, event);
        return true;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        hot = event.Type == UIEVENT_MOUSEENTER;
        self->Invalidate();
        return true;
    case UIEVENT_KEYDOWN:
        if (!item->GetOwner())
            return false;
        item->GetOwner()->DoEvent(event);
        return true;
    default:
        return false;
    }
}

} // namespace DuiLib
