#pragma once

#include "ui/UINotify.h"

namespace DuiLib {

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

} // namespace DuiLib
