#pragma once

#include <memory>
#include <string>

namespace DuiLib {

class CControlUI;

// Lets a window make controls of its own classes while a file is built.
class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    // nullptr: the engine makes the class itself.
    virtual std::unique_ptr<CControlUI> CreateControl(const std::wstring& className) = 0;
};

} // namespace DuiLib
