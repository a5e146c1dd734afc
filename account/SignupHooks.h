#pragma once

#include <memory>

#include "platform/WindowMessage.h"

namespace DuiLib {
class CPaintManagerUI;
struct TNotifyUI;
} // namespace DuiLib

class IShell;

// The registration form on page 1 of TabOfSign, as the sign-in page sees it.
// The sign-in page handles its own controls and hands everything else from
// "SignTab" to the form, and the form's messages (UM_SIGNUP, UM_VERIFY_NAME,
// UM_VERIFY_PHONE, UM_SMS_SENT).
class ISignupForm {
public:
    virtual ~ISignupForm() = default;

    // Finds the form's controls; false when one is missing.
    virtual bool Bind(DuiLib::CPaintManagerUI& paint) = 0;
    // The registration page is being opened (BtnOfSignupTab).
    virtual void Prepare() = 0;
    // True when handled.
    virtual bool OnNotify(DuiLib::TNotifyUI& notification) = 0;
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    // Sign-out: the form forgets what it holds.
    virtual void OnSignedOut() { }
};

// The registration form of this build.
std::unique_ptr<ISignupForm> CreateSignupForm(IShell& shell);
