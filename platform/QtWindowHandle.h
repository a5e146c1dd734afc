#pragma once

// Qt side of WindowHandle; for ui/ and the platform implementations only.
#include <QWidget>

#include "platform/WindowHandle.h"

inline WindowHandle HandleOfWidget(QWidget* widget)
{
    return reinterpret_cast<WindowHandle>(widget);
}

inline QWidget* WidgetOfHandle(WindowHandle handle)
{
    return reinterpret_cast<QWidget*>(handle);
}
