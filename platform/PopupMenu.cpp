#include "platform/PopupMenu.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

#include "platform/QtWindowHandle.h"
#include "platform/TestHook.h"
#include "platform/UiThreadCall.h"

namespace {

HookSlot<UINT(const std::vector<MenuItem>&)> g_hook;

} // namespace

UINT ShowPopupMenu(
    WindowHandle owner, const std::vector<MenuItem>& items, std::optional<ScreenPoint> at, bool rightAligned)
{
    if (auto hook = g_hook.Get())
        return hook(items);
    if (!CanShowDialogs())
        return 0;
    UINT chosen = 0;
    RunOnUiThread([&] {
        if (QWidget* widget = WidgetOfHandle(owner)) {
            widget->raise();
            widget->activateWindow();
        }
        QMenu menu(WidgetOfHandle(owner));
        for (const MenuItem& item : items) {
            if (item.separator) {
                menu.addSeparator();
                continue;
            }
            QAction* action = menu.addAction(QString::fromStdWString(item.text));
            action->setData(static_cast<unsigned>(item.id));
            action->setCheckable(item.checkable);
            action->setChecked(item.checked);
            action->setEnabled(item.enabled);
        }
        QPoint pos = at ? QPoint(at->x, at->y) : QCursor::pos();
        if (rightAligned)
            pos.rx() -= menu.sizeHint().width();
        if (QAction* action = menu.exec(pos))
            chosen = action->data().toUInt();
    });
    return chosen;
}

void SetPopupMenuHook(PopupMenuHook hook)
{
    g_hook.Set(std::move(hook));
}
