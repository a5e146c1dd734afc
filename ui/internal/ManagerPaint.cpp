// The manager's painting: what asks the window for a paint, a frame of the
// tree, the relayout of the marked controls before it, and the window as a
// PNG file.
#include <QImage>
#include <QPainter>

#include "ui/UIContainer.h"
#include "ui/UIDispatchScope.h"
#include "ui/internal/ManagerImpl.h"
#include "ui/internal/Render.h"

namespace DuiLib {

void CPaintManagerUI::NeedUpdate()
{
    Invalidate();
}

void CPaintManagerUI::UpdateLayout()
{
    if (!d->root)
        return;
    CDispatchScope scope(this);
    if (d->layoutNeeded || d->root->IsUpdateNeeded()) {
        d->layoutNeeded = false;
        d->root->SetPos(RECT { 0, 0, d->clientSize.cx, d->clientSize.cy });
    } else {
        RelayoutMarkedControls(d->root.get());
    }
}

void CPaintManagerUI::Invalidate()
{
    if (d->updatesHeld == 0)
        d->frames.UpdateAll();
}

void CPaintManagerUI::Invalidate(const RECT& rc)
{
    if (rc.IsEmpty() || d->updatesHeld > 0)
        return;
    // A layout moves a thousand scrolled-away tiles: what lies outside the
    // window is no repaint.
    RECT area = rc;
    const SIZE& client = d->clientSize;
    if (client.cx > 0 || client.cy > 0) {
        area = rc.Intersected(RECT { 0, 0, client.cx, client.cy });
        if (area.IsEmpty())
            return;
    }
    if (d->gatheringLayout) {
        d->layoutArea |= render::ToQRect(area);
        return;
    }
    d->frames.Update(render::ToQRect(area));
}

void CPaintManagerUI::InvalidateBeyondPaint(const RECT& rc)
{
    const SIZE& client = d->clientSize;
    const RECT area = rc.Intersected(RECT { 0, 0, client.cx, client.cy });
    if (area.IsEmpty() || (!d->screenPaint.isEmpty() && d->screenPaint.contains(render::ToQRect(area))))
        return;
    Invalidate(area);
}

void CPaintManagerUI::HoldUpdates()
{
    ++d->updatesHeld;
}

void CPaintManagerUI::ReleaseUpdates()
{
    if (d->updatesHeld > 0)
        --d->updatesHeld;
}

bool CPaintManagerUI::SaveImage(const std::string& pngPath)
{
    return d->SavePng(pngPath);
}

void CPaintManagerUI::Impl::Paint(QPainter& p, const RECT& dirty, bool toScreen)
{
    CDispatchScope scope(self);
    gatheringLayout = toScreen;
    layoutArea = QRect();
    self->UpdateLayout();
    gatheringLayout = false;
    // What the layout moved within this paint is painted now.
    if (!layoutArea.isEmpty() && !render::ToQRect(dirty).contains(layoutArea))
        frames.Update(layoutArea);
    layoutArea = QRect();
    if (!root)
        return;
    CRenderContext ctx(p, self);
    if (toScreen)
        screenPaint = render::ToQRect(dirty);
    root->DoPaint(ctx, dirty);
    screenPaint = QRect();
}

void RelayoutMarkedControls(CControlUI* c)
{
    if (!c->IsVisible())
        return;
    if (c->IsUpdateNeeded()) {
        c->SetPos(c->GetPos());
        return;
    }
    if (!c->IsSubtreeUpdateNeeded())
        return;
    c->ClearSubtreeUpdate();
    if (auto* box = dynamic_cast<CContainerUI*>(c)) {
        for (int i = 0; i < box->GetCountRaw(); ++i)
            RelayoutMarkedControls(box->GetRawItemAt(i));
    }
}

bool CPaintManagerUI::Impl::SavePng(const std::string& pngPath)
{
    SIZE size = clientSize;
    if (size.cx <= 0 || size.cy <= 0)
        return false;
    // At the window's device pixel ratio, as its screen shows it.
    const qreal ratio = host ? host->devicePixelRatioF() : 1.0;
    QImage image(qRound(size.cx * ratio), qRound(size.cy * ratio), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        Paint(p, RECT { 0, 0, size.cx, size.cy });
    }
    return image.save(QString::fromStdString(pngPath), "PNG");
}

} // namespace DuiLib
